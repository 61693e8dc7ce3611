// The package tool's cryptography on the build machine: OpenSSL's libcrypto. Its EC_KEY interface
// takes raw coordinates and scalars directly, which is what the key files hold.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>

#include "tools/vupcab/PackageSigning.h"

namespace zr {

namespace {

struct BigNumber {
    explicit BigNumber(const unsigned char* bytes) : value(BN_bin2bn(bytes, 32, nullptr)) {}
    ~BigNumber() { BN_clear_free(value); }
    BigNumber(const BigNumber&) = delete;
    BigNumber& operator=(const BigNumber&) = delete;
    BIGNUM* value;
};

struct EcKey {
    EcKey() : key(EC_KEY_new_by_curve_name(NID_X9_62_prime256v1)) {}
    ~EcKey() { EC_KEY_free(key); }
    EcKey(const EcKey&) = delete;
    EcKey& operator=(const EcKey&) = delete;
    EC_KEY* key;
};

// Sets the public point; false when it is not on the curve.
bool SetPublic(EC_KEY* key, const unsigned char* xy) {
    BigNumber x(xy), y(xy + 32);
    return key && x.value && y.value && EC_KEY_set_public_key_affine_coordinates(key, x.value, y.value) == 1;
}

}  // namespace

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
    bool ok = false;
};

Sha256::Sha256() : m_state(new State) {
    m_state->context = EVP_MD_CTX_new();
    m_state->ok = m_state->context && EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) == 1;
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(m_state->context);
}

bool Sha256::Add(const void* bytes, std::size_t size) {
    m_state->ok = m_state->ok && EVP_DigestUpdate(m_state->context, bytes, size) == 1;
    return m_state->ok;
}

bool Sha256::Finish(Digest* digest) {
    unsigned int length = 0;
    return m_state->ok && EVP_DigestFinal_ex(m_state->context, digest->data(), &length) == 1 && length == DIGEST_SIZE;
}

bool GenerateKeyPair(KeyPair* pair) {
    EcKey ec;
    BN_CTX* context = BN_CTX_new();
    BIGNUM* x = BN_new();
    BIGNUM* y = BN_new();
    bool made = ec.key && context && x && y && EC_KEY_generate_key(ec.key) == 1 &&
                EC_POINT_get_affine_coordinates(EC_KEY_get0_group(ec.key), EC_KEY_get0_public_key(ec.key), x, y,
                                                context) == 1 &&
                BN_bn2binpad(x, pair->data(), 32) == 32 && BN_bn2binpad(y, pair->data() + 32, 32) == 32 &&
                BN_bn2binpad(EC_KEY_get0_private_key(ec.key), pair->data() + 64, 32) == 32;
    BN_free(x);
    BN_free(y);
    BN_CTX_free(context);
    return made;
}

bool SignDigest(const KeyPair& pair, const Digest& digest, SignatureValue* signature) {
    EcKey ec;
    BigNumber d(pair.data() + 64);
    if (!SetPublic(ec.key, pair.data()) || !d.value || EC_KEY_set_private_key(ec.key, d.value) != 1)
        return false;
    ECDSA_SIG* made = ECDSA_do_sign(digest.data(), DIGEST_SIZE, ec.key);
    if (!made)
        return false;
    const BIGNUM* r = nullptr;
    const BIGNUM* s = nullptr;
    ECDSA_SIG_get0(made, &r, &s);
    const bool written =
        BN_bn2binpad(r, signature->data(), 32) == 32 && BN_bn2binpad(s, signature->data() + 32, 32) == 32;
    ECDSA_SIG_free(made);
    return written;
}

bool VerifyDigest(const PublicKey& key, const Digest& digest, const SignatureValue& signature) {
    EcKey ec;
    if (!SetPublic(ec.key, key.data()))
        return false;
    ECDSA_SIG* value = ECDSA_SIG_new();
    BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
    BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
    if (!value || !r || !s || ECDSA_SIG_set0(value, r, s) != 1) {
        BN_free(r);
        BN_free(s);
        ECDSA_SIG_free(value);
        return false;
    }
    const bool valid = ECDSA_do_verify(digest.data(), DIGEST_SIZE, value, ec.key) == 1;
    ECDSA_SIG_free(value);
    return valid;
}

}  // namespace zr
