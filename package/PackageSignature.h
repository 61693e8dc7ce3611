// Checking a package's signature block before anything is installed from it: that the bytes before
// the block are the ones its digest names, and that a key compiled into the tool signed them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "package/SignatureBlock.h"

namespace zr {

// Reads exactly `size` bytes at `offset` of the package into `buffer`; false when it cannot.
using PackageReader = std::function<bool(std::uint64_t offset, void* buffer, std::size_t size)>;

// The public keys compiled into this build (ZR_PACKAGE_KEYS): none, one, or two while keys rotate.
struct PACKAGE_KEYS {
    const PublicKey* keys;
    std::size_t nCount;
};
PACKAGE_KEYS CompiledPackageKeys();

// Looks at the last SIGNATURE_BLOCK_SIZE bytes of a package of `packageSize` bytes and, when they
// are a block, hashes every byte before it and checks its signature against `keys`. Without a
// block nothing else is read, and with keys a digest-only block is not hashed (no key can pass it).
// *form, when given, receives the block's form so the caller knows where the payloads must end.
SIGNATURE_CHECK CheckPackageSignature(const PackageReader& readAt,
                                      std::uint64_t packageSize,
                                      const PACKAGE_KEYS& keys,
                                      E_BLOCK_FORM* form = nullptr);

}  // namespace zr
