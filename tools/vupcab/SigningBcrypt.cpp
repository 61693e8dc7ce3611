// Making keys and signing in the Windows package tool: Windows' bcrypt.dll, the library whose
// verification the tool itself uses.
#include <cstring>

#include "framework/SystemLibrary.h"
#include "tools/vupcab/PackageSigning.h"
#include "trust/Bcrypt.h"

namespace zr {

namespace {
// The calls that make keys and sign, which the tool itself never loads.
struct BCRYPT_SIGNING {
    decltype(&::BCryptGenerateKeyPair) GenerateKeyPair;
    decltype(&::BCryptFinalizeKeyPair) FinalizeKeyPair;
    decltype(&::BCryptExportKey) ExportKey;
    decltype(&::BCryptSignHash) SignHash;
    bool Loaded() const { return GenerateKeyPair && FinalizeKeyPair && ExportKey && SignHash; }
};

const BCRYPT_SIGNING& Signing() {
    static const BCRYPT_SIGNING calls = [] {
        const HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
        return BCRYPT_SIGNING{
            ZR_LIBRARY_FUNCTION(module, BCryptGenerateKeyPair), ZR_LIBRARY_FUNCTION(module, BCryptFinalizeKeyPair),
            ZR_LIBRARY_FUNCTION(module, BCryptExportKey), ZR_LIBRARY_FUNCTION(module, BCryptSignHash)};
    }();
    return calls;
}
}  // namespace

bool GenerateKeyPair(KeyPair* pair) {
    const ScopedBcryptAlgorithm algorithm = OpenEcdsaP256();
    ScopedBcryptKey key;
    if (!algorithm || !Signing().Loaded() ||
        !BcryptSucceeded(Signing().GenerateKeyPair(algorithm.get(), key.receive(), 256, 0)) ||
        !BcryptSucceeded(Signing().FinalizeKeyPair(key.get(), 0)))
        return false;
    ECC_P256_BLOB blob = {};
    ULONG written = 0;
    const bool made = BcryptSucceeded(Signing().ExportKey(key.get(), nullptr, BCRYPT_ECCPRIVATE_BLOB,
                                                          reinterpret_cast<PUCHAR>(&blob), sizeof blob, &written, 0)) &&
                      written == sizeof blob && blob.header.cbKey == PRIVATE_KEY_SIZE;
    if (made)
        std::memcpy(pair->data(), blob.bytes, pair->size());
    ::SecureZeroMemory(&blob, sizeof blob);
    return made;
}

bool SignDigest(const KeyPair& pair, const Digest& digest, SignatureValue* signature) {
    const ScopedBcryptAlgorithm algorithm = OpenEcdsaP256();
    if (!algorithm || !Signing().Loaded())
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
    return BcryptSucceeded(Signing().SignHash(key.get(), nullptr, hash.data(), DIGEST_SIZE, signature->data(),
                                              SIGNATURE_VALUE_SIZE, &written, 0)) &&
           written == SIGNATURE_VALUE_SIZE;
}

}  // namespace zr
