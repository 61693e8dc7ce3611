#include "trust/PackageSignature.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zr {

KeyId KeyIdOf(const PublicKey& key) {
    KeyId id = {};
    CSha256 hash;
    Digest digest;
    if (hash.Add(key.data(), key.size()) && hash.Finish(&digest))
        std::memcpy(id.data(), digest.data(), id.size());
    return id;
}

CSignatureJudge::CSignatureJudge(const PackageReadAt& readAt, std::uint64_t packageSize, const PACKAGE_KEYS& keys)
    : m_keys(keys) {
    if (packageSize >= SIGNATURE_BLOCK_SIZE) {
        unsigned char bytes[SIGNATURE_BLOCK_SIZE] = {};
        if (!readAt(packageSize - SIGNATURE_BLOCK_SIZE, bytes, sizeof bytes)) {
            m_settledVerdict = SIGNATURE_READ_ERROR;
            return;
        }
        m_finding.form = DecodeSignatureBlock(bytes, &m_block);
        if (m_finding.form == BLOCK_SIGNED)
            m_finding.keyId = m_block.keyId;
    }
    if (m_finding.form == BLOCK_MALFORMED) {
        m_settledVerdict = SIGNATURE_DAMAGED;
    } else if (keys.nCount > 0 && m_finding.form == BLOCK_DIGEST_ONLY) {
        m_settledVerdict = SIGNATURE_DIGEST_OK;  // refused by the policy without reading a gigabyte
    } else if (m_finding.form != BLOCK_ABSENT) {
        m_nSignedLength = packageSize - SIGNATURE_BLOCK_SIZE;
        m_hash.reset(new (std::nothrow) CSha256);
        if (!m_hash || !m_hash->IsValid())
            Settle(SIGNATURE_UNAVAILABLE);
    }
}

void CSignatureJudge::Settle(E_SIGNATURE_STATE state) {
    m_settledVerdict = state;
    m_hash.reset();
}

void CSignatureJudge::Hash(const void* bytes, std::size_t size) {
    if (!m_hash)
        return;
    if (size > m_nSignedLength - m_nHashed)
        Settle(SIGNATURE_DAMAGED);
    else if (!m_hash->Add(bytes, size))
        Settle(SIGNATURE_UNAVAILABLE);
    else
        m_nHashed += size;
}

void CSignatureJudge::HashRest(const PackageReadAt& readAt) {
    constexpr std::size_t READ_PIECE = 1 << 20;
    if (BytesToHash() == 0)
        return;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[READ_PIECE]);
    if (!buffer)
        Settle(SIGNATURE_UNAVAILABLE);
    while (BytesToHash() > 0) {
        const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(READ_PIECE, BytesToHash()));
        if (readAt(m_nHashed, buffer.get(), piece))
            Hash(buffer.get(), piece);
        else
            Settle(SIGNATURE_READ_ERROR);
    }
}

SIGNATURE_CHECK CSignatureJudge::Verdict() {
    if (!m_hash)
        return {m_settledVerdict, 0};
    Digest digest = {};
    if (m_nHashed != m_nSignedLength)
        return {SIGNATURE_DAMAGED, 0};
    if (!m_hash->Finish(&digest))
        return {SIGNATURE_UNAVAILABLE, 0};
    if (digest != m_block.digest)
        return {SIGNATURE_DAMAGED, 0};
    if (m_finding.form == BLOCK_DIGEST_ONLY || m_keys.nCount == 0)
        return {SIGNATURE_DIGEST_OK, 0};
    for (std::size_t k = 0; k < m_keys.nCount; ++k) {
        if (KeyIdOf(m_keys.keys[k]) == m_block.keyId && VerifyDigest(m_keys.keys[k], digest, m_block.signature))
            return {SIGNATURE_SIGNED_BY_KEY, static_cast<unsigned>(k)};
    }
    return {SIGNATURE_NOT_FROM_MAKER, 0};
}

SIGNATURE_CHECK CheckPackageSignature(const PackageReadAt& readAt,
                                      std::uint64_t packageSize,
                                      const PACKAGE_KEYS& keys,
                                      SIGNATURE_FINDING* finding) {
    CSignatureJudge judge(readAt, packageSize, keys);
    judge.HashRest(readAt);
    if (finding)
        *finding = judge.Finding();
    return judge.Verdict();
}

}  // namespace zr
