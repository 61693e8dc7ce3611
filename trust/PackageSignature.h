// The one judge of a package's signature block, for the tool before anything is installed and for
// `mkvupcab verify`: that the bytes before the block are the ones its digest names, and that one of
// the given keys signed them. Platform-free over the two calls of trust/Crypto.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "format/SignatureBlock.h"

namespace zr {

// Reads exactly `size` bytes at `offset` of the package into `buffer`; false when it cannot.
using PackageReadAt = std::function<bool(std::uint64_t offset, void* buffer, std::size_t size)>;

// Public keys a judge accepts: none, one, or two while keys rotate.
struct PACKAGE_KEYS {
    const PublicKey* keys;
    std::size_t nCount;
};
// The keys compiled into this build of the tool (ZR_PACKAGE_KEYS).
PACKAGE_KEYS CompiledPackageKeys();

// The first bytes of the SHA-256 of the key's 64 bytes; all zero when hashing fails.
KeyId KeyIdOf(const PublicKey& key);

// What the judge found besides its verdict.
struct SIGNATURE_FINDING {
    E_BLOCK_FORM form = BLOCK_ABSENT;  // so the caller knows where the payloads must end
    KeyId keyId = {};                  // the block's, for a signed block
};

// Looks at the last SIGNATURE_BLOCK_SIZE bytes of a package of `packageSize` bytes and, when they
// are a block, hashes every byte before it and checks its signature against `keys`. Without a block
// nothing else is read, and with keys a digest-only block is not hashed (no key can pass it).
SIGNATURE_CHECK CheckPackageSignature(const PackageReadAt& readAt,
                                      std::uint64_t packageSize,
                                      const PACKAGE_KEYS& keys,
                                      SIGNATURE_FINDING* finding = nullptr);

}  // namespace zr
