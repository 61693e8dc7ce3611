// Making keys and signing in the Windows package tool: Windows' bcrypt.dll, the library whose
// verification the tool itself uses.
#include <cstring>

#include "tools/vupcab/PackageSigning.h"
#include "trust/Bcrypt.h"

namespace zr {

bool GenerateKeyPair(KeyPair* pair) {
    const ScopedBcryptAlgorithm algorithm = OpenEcdsaP256();
    ScopedBcryptKey key;
    if (!algorithm || !BcryptSucceeded(Bcrypt().GenerateKeyPair(algorithm.get(), key.receive(), 256, 0)) ||
        !BcryptSucceeded(Bcrypt().FinalizeKeyPair(key.get(), 0)))
        return false;
    ECC_P256_BLOB blob = {};
    ULONG written = 0;
    const bool made = BcryptSucceeded(Bcrypt().ExportKey(key.get(), nullptr, BCRYPT_ECCPRIVATE_BLOB,
                                                         reinterpret_cast<PUCHAR>(&blob), sizeof blob, &written, 0)) &&
                      written == sizeof blob && blob.header.cbKey == PRIVATE_KEY_SIZE;
    if (made)
        std::memcpy(pair->data(), blob.bytes, pair->size());
    ::SecureZeroMemory(&blob, sizeof blob);
    return made;
}

bool SignDigest(const KeyPair& pair, const Digest& digest, SignatureValue* signature) {
    const ScopedBcryptAlgorithm algorithm = OpenEcdsaP256();
    if (!algorithm)
        return false;
    ECC_P256_BLOB blob = {};
    blob.header.dwMagic = BCRYPT_ECDSA_PRIVATE_P256_MAGIC;
    blob.header.cbKey = PRIVATE_KEY_SIZE;
    std::memcpy(blob.bytes, pair.data(), pair.size());
    ScopedBcryptKey key;
    const bool imported =
        BcryptSucceeded(Bcrypt().ImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPRIVATE_BLOB, key.receive(),
                                               reinterpret_cast<PUCHAR>(&blob), sizeof blob, 0));
    ::SecureZeroMemory(&blob, sizeof blob);
    if (!imported)
        return false;
    Digest hash = digest;
    ULONG written = 0;
    return BcryptSucceeded(Bcrypt().SignHash(key.get(), nullptr, hash.data(), DIGEST_SIZE, signature->data(),
                                             SIGNATURE_VALUE_SIZE, &written, 0)) &&
           written == SIGNATURE_VALUE_SIZE;
}

}  // namespace zr
