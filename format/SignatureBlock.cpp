#include "format/SignatureBlock.h"

#include <algorithm>
#include <cstring>

#include "format/PackageFormat.h"

namespace zr {

namespace {
template <std::size_t N>
bool AllZero(const std::array<unsigned char, N>& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b == 0; });
}
}  // namespace

E_BLOCK_FORM DecodeSignatureBlock(const unsigned char (&bytes)[SIGNATURE_BLOCK_SIZE], SIGNATURE_BLOCK* block) {
    if (std::memcmp(bytes + SIGNATURE_MAGIC_OFFSET, SIGNATURE_MAGIC, sizeof SIGNATURE_MAGIC) != 0)
        return BLOCK_ABSENT;
    if (DecodeBigEndian32(bytes + SIGNATURE_FORM_OFFSET) != SIGNATURE_FORM)
        return BLOCK_MALFORMED;
    SIGNATURE_BLOCK read;
    std::memcpy(read.keyId.data(), bytes + SIGNATURE_KEY_ID_OFFSET, KEY_ID_SIZE);
    std::memcpy(read.digest.data(), bytes + SIGNATURE_DIGEST_OFFSET, DIGEST_SIZE);
    std::memcpy(read.signature.data(), bytes + SIGNATURE_VALUE_OFFSET, SIGNATURE_VALUE_SIZE);
    const bool noKey = AllZero(read.keyId);
    if (noKey != AllZero(read.signature))
        return BLOCK_MALFORMED;
    *block = read;
    return noKey ? BLOCK_DIGEST_ONLY : BLOCK_SIGNED;
}

void EncodeSignatureBlock(const SIGNATURE_BLOCK& block, unsigned char (&bytes)[SIGNATURE_BLOCK_SIZE]) {
    std::memcpy(bytes + SIGNATURE_MAGIC_OFFSET, SIGNATURE_MAGIC, sizeof SIGNATURE_MAGIC);
    EncodeBigEndian32(SIGNATURE_FORM, bytes + SIGNATURE_FORM_OFFSET);
    std::memcpy(bytes + SIGNATURE_KEY_ID_OFFSET, block.keyId.data(), KEY_ID_SIZE);
    std::memcpy(bytes + SIGNATURE_DIGEST_OFFSET, block.digest.data(), DIGEST_SIZE);
    std::memcpy(bytes + SIGNATURE_VALUE_OFFSET, block.signature.data(), SIGNATURE_VALUE_SIZE);
}

bool SignatureAllowsInstall(const SIGNATURE_CHECK& check, std::size_t compiledKeyCount) {
    if (compiledKeyCount > 0)
        return check.state == SIGNATURE_SIGNED_BY_KEY && check.nKey < compiledKeyCount;
    return check.state == SIGNATURE_NO_BLOCK || check.state == SIGNATURE_DIGEST_OK;
}

std::uint64_t SignedLength(std::uint64_t packageSize, E_BLOCK_FORM form) {
    return form == BLOCK_ABSENT || packageSize < SIGNATURE_BLOCK_SIZE ? packageSize
                                                                      : packageSize - SIGNATURE_BLOCK_SIZE;
}

}  // namespace zr
