// SHA-256 and ECDSA verification from Windows' bcrypt.dll.
#include <cstring>

#include "trust/Bcrypt.h"
#include "trust/Crypto.h"

namespace zr {

struct CSha256::STATE {
    ScopedBcryptAlgorithm algorithm;
    ScopedBcryptHash hash;
    unsigned char object[1024] = {};  // Vista wants the hash object's memory from the caller
};

CSha256::CSha256() : m_state(new STATE) {
    const BCRYPT_LIBRARY& bcrypt = Bcrypt();
    if (!bcrypt.bLoaded || !BcryptSucceeded(bcrypt.OpenAlgorithmProvider(m_state->algorithm.receive(),
                                                                         BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return;
    DWORD objectSize = 0;
    ULONG got = 0;
    if (!BcryptSucceeded(bcrypt.GetProperty(m_state->algorithm.get(), BCRYPT_OBJECT_LENGTH,
                                            reinterpret_cast<PUCHAR>(&objectSize), sizeof objectSize, &got, 0)) ||
        objectSize > sizeof m_state->object)
        return;
    if (!BcryptSucceeded(bcrypt.CreateHash(m_state->algorithm.get(), m_state->hash.receive(), m_state->object,
                                           objectSize, nullptr, 0, 0)))
        m_state->hash.reset();
}

CSha256::~CSha256() = default;

bool CSha256::IsValid() const {
    return m_state->hash.IsValid();
}

bool CSha256::Add(const void* bytes, std::size_t size) {
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    while (m_state->hash && size > 0) {
        const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        if (!BcryptSucceeded(Bcrypt().HashData(m_state->hash.get(), const_cast<PUCHAR>(at), piece, 0)))
            return false;
        at += piece;
        size -= piece;
    }
    return IsValid();
}

bool CSha256::Finish(Digest* digest) {
    return IsValid() && BcryptSucceeded(Bcrypt().FinishHash(m_state->hash.get(), digest->data(), DIGEST_SIZE, 0));
}

bool VerifyDigest(const PublicKey& key, const Digest& digest, const SignatureValue& signature) {
    const ScopedBcryptAlgorithm algorithm = OpenEcdsaP256();
    if (!algorithm)
        return false;
    ECC_P256_BLOB blob = {};
    blob.header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    blob.header.cbKey = PRIVATE_KEY_SIZE;
    std::memcpy(blob.bytes, key.data(), PUBLIC_KEY_SIZE);
    ScopedBcryptKey handle;
    if (!BcryptSucceeded(Bcrypt().ImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, handle.receive(),
                                                reinterpret_cast<PUCHAR>(&blob), sizeof blob.header + PUBLIC_KEY_SIZE,
                                                0)))
        return false;
    // The API takes non-const buffers it only reads (as HashData does in Add).
    return Bcrypt().VerifySignature(handle.get(), nullptr, const_cast<PUCHAR>(digest.data()), DIGEST_SIZE,
                                    const_cast<PUCHAR>(signature.data()), SIGNATURE_VALUE_SIZE, 0) == 0;
}

}  // namespace zr
