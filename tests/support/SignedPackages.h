// Signed packages for the tests, made with the package tool's own signing code and the committed
// test key pairs (tests/fixtures/keys: for tests only, never for a shipped build). Platform-free: the
// native tests sign with OpenSSL, the Windows tests with bcrypt.dll.
#pragma once

#include <string>

#include "format/SignatureBlock.h"
#include "trust/Crypto.h"
#include "tools/vupcab/PackageSigning.h"

namespace zr::test {

// The key pairs in tests/fixtures/keys: the two a keyed test build trusts, and one it does not.
enum class TestKey { FIRST, SECOND, OTHER };

inline std::string TestKeyPath(TestKey key, const char* extension) {
    static const char* const NAMES[] = {"test-first", "test-second", "other"};
    return std::string(ZR_TEST_KEYS) + "/" + NAMES[static_cast<int>(key)] + extension;
}

inline KeyPair LoadTestKey(TestKey key) {
    KeyPair pair = {};
    std::string error;
    ReadPrivateKeyFile(TestKeyPath(key, ".key"), &pair, &error);
    return pair;
}

inline Digest DigestOf(const std::string& bytes) {
    Digest digest = {};
    CSha256 hash;
    hash.Add(bytes.data(), bytes.size());
    hash.Finish(&digest);
    return digest;
}

// `content` followed by a block: signed with `key`, or digest-only when `key` is null.
inline std::string WithBlock(const std::string& content, const KeyPair* key) {
    SIGNATURE_BLOCK block = {};
    block.digest = DigestOf(content);
    if (key) {
        block.keyId = KeyIdOf(PublicPart(*key));
        SignDigest(*key, block.digest, &block.signature);
    }
    unsigned char bytes[SIGNATURE_BLOCK_SIZE];
    EncodeSignatureBlock(block, bytes);
    return content + std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

inline std::string SignedWith(const std::string& content, TestKey key) {
    const KeyPair pair = LoadTestKey(key);
    return WithBlock(content, &pair);
}

// `bytes` with bit `bit` of byte `offset` flipped; a negative offset counts from the end.
inline std::string FlipBit(std::string bytes, long long offset, int bit = 0) {
    const std::size_t at =
        offset < 0 ? bytes.size() - static_cast<std::size_t>(-offset) : static_cast<std::size_t>(offset);
    bytes[at] = static_cast<char>(bytes[at] ^ (1 << bit));
    return bytes;
}

}  // namespace zr::test
