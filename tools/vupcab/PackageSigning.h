// Signing and verifying packages for the package tool: key files, the block appended or replaced at
// a package's end, and a verification that judges a package as the tool does. The cryptography
// comes from OpenSSL's libcrypto natively and from Windows' bcrypt.dll in the Windows build
// (PackageCryptoOpenSsl.cpp, PackageCryptoWindows.cpp); everything else here is shared.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "package/SignatureBlock.h"

namespace zr {

// X || Y || d, each 32 bytes big-endian. Key files hold these bytes as hexadecimal text: a public key
// file 128 digits (X || Y), a private key file 192 digits (X || Y || d).
using KeyPair = std::array<unsigned char, PUBLIC_KEY_SIZE + PRIVATE_KEY_SIZE>;

// The cryptography one platform provides.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    bool Add(const void* bytes, std::size_t size);
    bool Finish(Digest* digest);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};
bool GenerateKeyPair(KeyPair* pair);
bool SignDigest(const KeyPair& pair, const Digest& digest, SignatureValue* signature);
bool VerifyDigest(const PublicKey& key, const Digest& digest, const SignatureValue& signature);

// Shared on both platforms.
KeyId KeyIdOf(const PublicKey& key);
PublicKey PublicPart(const KeyPair& pair);

// Hexadecimal text of `bytes` and back (white space between digits is ignored). False when the text
// is not exactly `size` bytes of digits.
std::string ToHex(const unsigned char* bytes, std::size_t size);
bool FromHex(const std::string& text, unsigned char* bytes, std::size_t size);

bool ReadPublicKeyFile(const std::string& path, PublicKey* key, std::string* error);
bool ReadPrivateKeyFile(const std::string& path, KeyPair* pair, std::string* error);
// Writes both files of a fresh pair; the private one is written first and readable by its owner only
// where the platform has such modes.
bool WriteKeyFiles(const KeyPair& pair,
                   const std::string& privatePath,
                   const std::string& publicPath,
                   std::string* error);

// Appends a block signed with `pair` to the package at `path`, or replaces the one already there.
bool SignPackageFile(const std::string& path, const KeyPair& pair, std::string* error);

// What `mkvupcab verify` reports, judged as a tool built with `keys` judges it.
struct PackageVerification {
    E_BLOCK_FORM form = BLOCK_ABSENT;
    SIGNATURE_CHECK check = {SIGNATURE_NO_BLOCK, 0};
    KeyId keyId = {};
    bool accepted = false;  // SignatureAllowsInstall(check, keys.size())
};
bool VerifyPackageFile(const std::string& path,
                       const std::vector<PublicKey>& keys,
                       PackageVerification* result,
                       std::string* error);

}  // namespace zr
