// Making keys and signing on the build machine: OpenSSL's libcrypto.
#include "trust/OpenSslKey.h"

#include <openssl/ecdsa.h>

#include "tools/vupcab/PackageSigning.h"

namespace zr {

bool GenerateKeyPair(KeyPair* pair) {
    CEcKey ec;
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
    CEcKey ec;
    CBigNumber d(pair.data() + 64);
    if (!SetPublicPoint(ec.key, pair.data()) || !d.value || EC_KEY_set_private_key(ec.key, d.value) != 1)
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

}  // namespace zr
