// SHA-256 and ECDSA verification from OpenSSL's libcrypto, for the package tool on the build machine.
#include "trust/OpenSslKey.h"

#include <openssl/ecdsa.h>
#include <openssl/evp.h>

#include "trust/Crypto.h"

namespace zr {

struct CSha256::STATE {
    EVP_MD_CTX* context = nullptr;
    bool ok = false;
};

CSha256::CSha256() : m_state(new STATE) {
    m_state->context = EVP_MD_CTX_new();
    m_state->ok = m_state->context && EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) == 1;
}

CSha256::~CSha256() {
    EVP_MD_CTX_free(m_state->context);
}

bool CSha256::IsValid() const {
    return m_state->ok;
}

bool CSha256::Add(const void* bytes, std::size_t size) {
    m_state->ok = m_state->ok && EVP_DigestUpdate(m_state->context, bytes, size) == 1;
    return m_state->ok;
}

bool CSha256::Finish(Digest* digest) {
    unsigned int length = 0;
    return m_state->ok && EVP_DigestFinal_ex(m_state->context, digest->data(), &length) == 1 && length == DIGEST_SIZE;
}

bool VerifyDigest(const PublicKey& key, const Digest& digest, const SignatureValue& signature) {
    CEcKey ec;
    if (!SetPublicPoint(ec.key, key.data()))
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
