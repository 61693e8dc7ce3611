// Layout of the update package `vupcab`, shared by the tool that reads it and the tool that writes it.
//
//   offset 0    10 bytes   version text, NUL-padded (no terminator when all 10 are used)
//   offset 10   1 byte     language byte: Language code in bits 0-3, bits 4-7 unused
//   offset 11   1 byte     entry count N, 0 to 255
//   offset 12   36 * N     directory: 32-byte NUL-terminated entry name, 4-byte big-endian payload size
//   then                   the payloads, back to back in directory order
//
// The header has no magic number, format version or checksum, and nothing after the last payload is
// read by the directory reader. There a package may end in a signature block of 116 bytes, found from
// the file's end (constants and decoder in format/SignatureBlock.h):
//
//   block + 0    8 bytes    magic "ZRVUPSIG"
//   block + 8    4 bytes    form number, big-endian: 1
//   block + 12   8 bytes    key id: the first 8 bytes of the SHA-256 of the signer's public key (X || Y)
//   block + 20   32 bytes   SHA-256 of every byte of the file before the block
//   block + 52   64 bytes   ECDSA P-256 signature of that digest, r || s, each 32 bytes big-endian
//
// A block whose key id and signature are all zero carries the digest only (integrity without a
// maker's key). When a block is present, the payloads must end where it begins.
//
// Platform-free: no Windows header here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zr {

inline constexpr char PACKAGE_FILE_NAME[] = "./vupcab";

inline constexpr std::size_t VERSION_FIELD_SIZE = 10;
inline constexpr std::size_t LANGUAGE_BYTE_OFFSET = 10;
inline constexpr std::size_t ENTRY_COUNT_OFFSET = 11;
inline constexpr std::size_t DIRECTORY_OFFSET = 12;
inline constexpr std::size_t ENTRY_NAME_SIZE = 32;
inline constexpr std::size_t PAYLOAD_SIZE_FIELD_SIZE = 4;
inline constexpr std::size_t DIRECTORY_ENTRY_SIZE = ENTRY_NAME_SIZE + PAYLOAD_SIZE_FIELD_SIZE;
inline constexpr unsigned MAX_ENTRY_COUNT = 255;
inline constexpr unsigned LANGUAGE_CODE_MASK = 0x0F;
inline constexpr int MAX_LANGUAGE_CODE = 15;

// One directory record as the installer holds it: the name field as read, the size in native order.
struct PACKAGE_ENTRY {
    char szName[ENTRY_NAME_SIZE];
    std::uint32_t dwSize;
};

// Payload sizes are the package's only multi-byte numbers, most significant byte first.
inline std::uint32_t DecodeBigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

inline void EncodeBigEndian32(std::uint32_t value, unsigned char* bytes) {
    bytes[0] = static_cast<unsigned char>(value >> 24);
    bytes[1] = static_cast<unsigned char>(value >> 16);
    bytes[2] = static_cast<unsigned char>(value >> 8);
    bytes[3] = static_cast<unsigned char>(value);
}

}  // namespace zr
