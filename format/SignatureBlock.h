// The signature block at a package's end, and what the tool makes of it. Platform-free: the tool,
// the package tool on both platforms and the native tests share it. The block's layout is described
// in format/PackageFormat.h with the rest of the package.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zr {

inline constexpr char SIGNATURE_MAGIC[8] = {'Z', 'R', 'V', 'U', 'P', 'S', 'I', 'G'};
inline constexpr std::uint32_t SIGNATURE_FORM = 1;
inline constexpr std::size_t SIGNATURE_MAGIC_OFFSET = 0;
inline constexpr std::size_t SIGNATURE_FORM_OFFSET = 8;
inline constexpr std::size_t SIGNATURE_KEY_ID_OFFSET = 12;
inline constexpr std::size_t KEY_ID_SIZE = 8;
inline constexpr std::size_t SIGNATURE_DIGEST_OFFSET = SIGNATURE_KEY_ID_OFFSET + KEY_ID_SIZE;
inline constexpr std::size_t DIGEST_SIZE = 32;
inline constexpr std::size_t SIGNATURE_VALUE_OFFSET = SIGNATURE_DIGEST_OFFSET + DIGEST_SIZE;
inline constexpr std::size_t SIGNATURE_VALUE_SIZE = 64;  // r || s, 32 bytes each, big-endian
inline constexpr std::size_t SIGNATURE_BLOCK_SIZE = SIGNATURE_VALUE_OFFSET + SIGNATURE_VALUE_SIZE;

// A P-256 public key as its uncompressed coordinates X || Y (32 bytes each, big-endian); a private
// key as its scalar d (32 bytes, big-endian).
inline constexpr std::size_t PUBLIC_KEY_SIZE = 64;
inline constexpr std::size_t PRIVATE_KEY_SIZE = 32;

using KeyId = std::array<unsigned char, KEY_ID_SIZE>;
using Digest = std::array<unsigned char, DIGEST_SIZE>;
using SignatureValue = std::array<unsigned char, SIGNATURE_VALUE_SIZE>;
using PublicKey = std::array<unsigned char, PUBLIC_KEY_SIZE>;

// A block as its bytes say, judged only for its own form.
struct SIGNATURE_BLOCK {
    KeyId keyId;
    Digest digest;
    SignatureValue signature;
};

enum E_BLOCK_FORM {
    BLOCK_ABSENT,       // the last bytes do not begin with the magic (or the file is shorter than a block)
    BLOCK_DIGEST_ONLY,  // all-zero key id and signature
    BLOCK_SIGNED,       // a key id and a signature
    BLOCK_MALFORMED,    // the magic, but an unknown form, or a key id without signature or the reverse
};

// Judges the last SIGNATURE_BLOCK_SIZE bytes of a package. On BLOCK_DIGEST_ONLY and BLOCK_SIGNED,
// *block holds the fields; otherwise it is left untouched.
E_BLOCK_FORM DecodeSignatureBlock(const unsigned char (&bytes)[SIGNATURE_BLOCK_SIZE], SIGNATURE_BLOCK* block);

// The block's bytes; a digest-only block has an all-zero key id and signature.
void EncodeSignatureBlock(const SIGNATURE_BLOCK& block, unsigned char (&bytes)[SIGNATURE_BLOCK_SIZE]);

// What the check of a package's signature found.
enum E_SIGNATURE_STATE {
    SIGNATURE_NO_BLOCK,        // no block: a package as made before packages were signed
    SIGNATURE_DIGEST_OK,       // the digest matches; no compiled-in key confirmed a signature
    SIGNATURE_SIGNED_BY_KEY,   // the digest matches and compiled-in key nKey signed it
    SIGNATURE_DAMAGED,         // a malformed block, or the bytes before it do not match its digest
    SIGNATURE_NOT_FROM_MAKER,  // signed, but by no compiled-in key, or the signature does not verify
    SIGNATURE_READ_ERROR,      // the package could not be read
    SIGNATURE_UNAVAILABLE,     // the system's cryptography could not be loaded
};

struct SIGNATURE_CHECK {
    E_SIGNATURE_STATE state;
    unsigned nKey;  // for SIGNATURE_SIGNED_BY_KEY
};

// The one policy: a tool built with keys installs only packages signed by one of them; a tool built
// without installs unsigned packages and those whose digest matches.
bool SignatureAllowsInstall(const SIGNATURE_CHECK& check, std::size_t compiledKeyCount);

// The bytes a package carries before its block (the payload end the directory may reach): the whole
// size when there is no block.
std::uint64_t SignedLength(std::uint64_t packageSize, E_BLOCK_FORM form);

}  // namespace zr
