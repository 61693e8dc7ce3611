// OpenSSL's P-256 keys from the raw coordinates and scalars the key files hold (its EC_KEY interface
// takes them directly), for the package tool on the build machine.
#pragma once

#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>

namespace zr {

struct CBigNumber {
    explicit CBigNumber(const unsigned char* bytes) : value(BN_bin2bn(bytes, 32, nullptr)) {}
    ~CBigNumber() { BN_clear_free(value); }
    CBigNumber(const CBigNumber&) = delete;
    CBigNumber& operator=(const CBigNumber&) = delete;
    BIGNUM* value;
};

struct CEcKey {
    CEcKey() : key(EC_KEY_new_by_curve_name(NID_X9_62_prime256v1)) {}
    ~CEcKey() { EC_KEY_free(key); }
    CEcKey(const CEcKey&) = delete;
    CEcKey& operator=(const CEcKey&) = delete;
    EC_KEY* key;
};

// Sets the public point X || Y; false when it is not on the curve.
inline bool SetPublicPoint(EC_KEY* key, const unsigned char* xy) {
    CBigNumber x(xy), y(xy + 32);
    return key && x.value && y.value && EC_KEY_set_public_key_affine_coordinates(key, x.value, y.value) == 1;
}

}  // namespace zr
