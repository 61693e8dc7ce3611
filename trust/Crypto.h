// The two calls the signature check needs: SHA-256 over a package's bytes and ECDSA P-256
// verification of a digest. Windows' own bcrypt.dll provides them in the tool and the Windows package
// tool (CryptoBcrypt.cpp), OpenSSL's libcrypto in the package tool on the build machine
// (CryptoOpenSsl.cpp); the check that uses them is the same everywhere.
#pragma once

#include <cstddef>
#include <memory>

#include "format/SignatureBlock.h"

namespace zr {

// SHA-256 over bytes given in any number of pieces.
class CSha256 {
  public:
    CSha256();
    ~CSha256();
    CSha256(const CSha256&) = delete;
    CSha256& operator=(const CSha256&) = delete;

    // False when the system's cryptography cannot be had; then Add and Finish fail too.
    bool IsValid() const;
    bool Add(const void* bytes, std::size_t size);
    // The digest of everything added; the hash takes nothing more afterwards.
    bool Finish(Digest* digest);

  private:
    struct STATE;
    std::unique_ptr<STATE> m_state;
};

// True only when `signature` is a valid signature of `digest` by `key`; false for a key that is not
// a point of the curve, and when the system's cryptography cannot be had.
bool VerifyDigest(const PublicKey& key, const Digest& digest, const SignatureValue& signature);

}  // namespace zr
