// The one judge of a package's signature block, for the tool before anything is installed and for
// `mkvupcab verify`: that the bytes before the block are the ones its digest names, and that one of
// the given keys signed them. Platform-free over the two calls of trust/Crypto.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "format/SignatureBlock.h"
#include "trust/Crypto.h"

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

// The judge of one package: it reads the block at the package's end first, then takes the bytes
// before the block in order, each exactly once, from whoever reads them anyway (the installer hashes
// the payloads as it copies them), and gives its verdict at the end. Without a block, or with keys and
// a digest-only block (no key can pass it), the verdict needs no byte hashed.
class CSignatureJudge {
  public:
    // Reads the last SIGNATURE_BLOCK_SIZE bytes of a package of `packageSize` bytes through `readAt`.
    CSignatureJudge(const PackageReadAt& readAt, std::uint64_t packageSize, const PACKAGE_KEYS& keys);
    CSignatureJudge(const CSignatureJudge&) = delete;
    CSignatureJudge& operator=(const CSignatureJudge&) = delete;

    const SIGNATURE_FINDING& Finding() const { return m_finding; }
    // How many bytes the verdict still waits for, following those hashed so far: zero when it needs none.
    std::uint64_t BytesToHash() const { return m_hash ? m_nSignedLength - m_nHashed : 0; }
    // The next `size` bytes of the package, in order; bytes past the signed length are a fault.
    void Hash(const void* bytes, std::size_t size);
    // Reads the bytes still waited for through `readAt` and hashes them.
    void HashRest(const PackageReadAt& readAt);
    // The verdict on what was read and hashed: a digest still short of the signed length counts as damaged.
    SIGNATURE_CHECK Verdict();

  private:
    void Settle(E_SIGNATURE_STATE state);

    // Only while the verdict waits for the digest, so bcrypt is loaded for signed packages alone.
    std::unique_ptr<CSha256> m_hash;
    SIGNATURE_FINDING m_finding;
    SIGNATURE_BLOCK m_block = {};
    PACKAGE_KEYS m_keys;
    std::uint64_t m_nSignedLength = 0;
    std::uint64_t m_nHashed = 0;
    // The verdict when no digest is needed, or once the hashing has failed (no m_hash).
    E_SIGNATURE_STATE m_settledVerdict = SIGNATURE_NO_BLOCK;
};

// The judge over the whole package at once: the block, then every byte before it read and hashed.
SIGNATURE_CHECK CheckPackageSignature(const PackageReadAt& readAt,
                                      std::uint64_t packageSize,
                                      const PACKAGE_KEYS& keys,
                                      SIGNATURE_FINDING* finding = nullptr);

}  // namespace zr
