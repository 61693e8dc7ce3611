#include "trust/PackageSignature.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "trust/Crypto.h"

namespace zr {

namespace {

constexpr std::size_t READ_PIECE = 1 << 20;

SIGNATURE_CHECK Found(E_SIGNATURE_STATE state, unsigned key = 0) {
    return SIGNATURE_CHECK{state, key};
}

// SHA-256 of the package's first `length` bytes.
E_SIGNATURE_STATE HashPrefix(const PackageReadAt& readAt, std::uint64_t length, Digest* digest) {
    CSha256 hash;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[READ_PIECE]);
    if (!hash.IsValid() || !buffer)
        return SIGNATURE_UNAVAILABLE;
    for (std::uint64_t offset = 0; offset < length;) {
        const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(READ_PIECE, length - offset));
        if (!readAt(offset, buffer.get(), piece))
            return SIGNATURE_READ_ERROR;
        if (!hash.Add(buffer.get(), piece))
            return SIGNATURE_UNAVAILABLE;
        offset += piece;
    }
    return hash.Finish(digest) ? SIGNATURE_DIGEST_OK : SIGNATURE_UNAVAILABLE;
}

}  // namespace

KeyId KeyIdOf(const PublicKey& key) {
    KeyId id = {};
    CSha256 hash;
    Digest digest;
    if (hash.Add(key.data(), key.size()) && hash.Finish(&digest))
        std::memcpy(id.data(), digest.data(), id.size());
    return id;
}

SIGNATURE_CHECK CheckPackageSignature(const PackageReadAt& readAt,
                                      std::uint64_t packageSize,
                                      const PACKAGE_KEYS& keys,
                                      SIGNATURE_FINDING* finding) {
    SIGNATURE_FINDING found;
    SIGNATURE_BLOCK block = {};
    if (packageSize >= SIGNATURE_BLOCK_SIZE) {
        unsigned char bytes[SIGNATURE_BLOCK_SIZE] = {};
        if (!readAt(packageSize - SIGNATURE_BLOCK_SIZE, bytes, sizeof bytes))
            return Found(SIGNATURE_READ_ERROR);
        found.form = DecodeSignatureBlock(bytes, &block);
        if (found.form == BLOCK_SIGNED)
            found.keyId = block.keyId;
    }
    if (finding)
        *finding = found;
    if (found.form == BLOCK_ABSENT)
        return Found(SIGNATURE_NO_BLOCK);
    if (found.form == BLOCK_MALFORMED)
        return Found(SIGNATURE_DAMAGED);
    if (keys.nCount > 0 && found.form == BLOCK_DIGEST_ONLY)
        return Found(SIGNATURE_DIGEST_OK);  // refused by the policy without reading a gigabyte

    Digest digest = {};
    const E_SIGNATURE_STATE hashed = HashPrefix(readAt, packageSize - SIGNATURE_BLOCK_SIZE, &digest);
    if (hashed != SIGNATURE_DIGEST_OK)
        return Found(hashed);
    if (digest != block.digest)
        return Found(SIGNATURE_DAMAGED);
    if (found.form == BLOCK_DIGEST_ONLY || keys.nCount == 0)
        return Found(SIGNATURE_DIGEST_OK);
    for (std::size_t k = 0; k < keys.nCount; ++k) {
        if (KeyIdOf(keys.keys[k]) == block.keyId && VerifyDigest(keys.keys[k], digest, block.signature))
            return Found(SIGNATURE_SIGNED_BY_KEY, static_cast<unsigned>(k));
    }
    return Found(SIGNATURE_NOT_FROM_MAKER);
}

}  // namespace zr
