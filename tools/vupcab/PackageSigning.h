// Signing and verifying packages for the package tool: key files, the block appended or replaced at
// a package's end, and a verification by the tool's own judge (trust/PackageSignature.h).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "format/SignatureBlock.h"
#include "trust/PackageSignature.h"

namespace zr {

// X || Y || d, each 32 bytes big-endian. Key files hold these bytes as hexadecimal text: a public key
// file 128 digits (X || Y), a private key file 192 digits (X || Y || d).
using KeyPair = std::array<unsigned char, PUBLIC_KEY_SIZE + PRIVATE_KEY_SIZE>;

// Made by the platform's own library: OpenSSL's natively (SigningOpenSsl.cpp), bcrypt.dll on Windows
// (SigningBcrypt.cpp). Only the package tool makes keys and signs; the tool itself only verifies.
bool GenerateKeyPair(KeyPair* pair);
bool SignDigest(const KeyPair& pair, const Digest& digest, SignatureValue* signature);

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
    SIGNATURE_FINDING finding;
    SIGNATURE_CHECK check = {SIGNATURE_NO_BLOCK, 0};
    bool accepted = false;  // SignatureAllowsInstall(check, keys.size())
};
bool VerifyPackageFile(const std::string& path,
                       const std::vector<PublicKey>& keys,
                       PackageVerification* result,
                       std::string* error);

}  // namespace zr
