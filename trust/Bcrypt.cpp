#include "trust/Bcrypt.h"

#include "framework/SystemLibrary.h"

namespace zr {

namespace {
BCRYPT_LIBRARY Load() {
    BCRYPT_LIBRARY library = {};
    const HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
    library.OpenAlgorithmProvider = ZR_LIBRARY_FUNCTION(module, BCryptOpenAlgorithmProvider);
    library.CloseAlgorithmProvider = ZR_LIBRARY_FUNCTION(module, BCryptCloseAlgorithmProvider);
    library.GetProperty = ZR_LIBRARY_FUNCTION(module, BCryptGetProperty);
    library.CreateHash = ZR_LIBRARY_FUNCTION(module, BCryptCreateHash);
    library.HashData = ZR_LIBRARY_FUNCTION(module, BCryptHashData);
    library.FinishHash = ZR_LIBRARY_FUNCTION(module, BCryptFinishHash);
    library.DestroyHash = ZR_LIBRARY_FUNCTION(module, BCryptDestroyHash);
    library.ImportKeyPair = ZR_LIBRARY_FUNCTION(module, BCryptImportKeyPair);
    library.DestroyKey = ZR_LIBRARY_FUNCTION(module, BCryptDestroyKey);
    library.VerifySignature = ZR_LIBRARY_FUNCTION(module, BCryptVerifySignature);
    library.bLoaded = library.OpenAlgorithmProvider && library.CloseAlgorithmProvider && library.GetProperty &&
                      library.CreateHash && library.HashData && library.FinishHash && library.DestroyHash &&
                      library.ImportKeyPair && library.DestroyKey && library.VerifySignature;
    return library;
}
}  // namespace

const BCRYPT_LIBRARY& Bcrypt() {
    static const BCRYPT_LIBRARY library = Load();
    return library;
}

ScopedBcryptAlgorithm OpenEcdsaP256() {
    ScopedBcryptAlgorithm algorithm;
    if (Bcrypt().bLoaded &&
        !BcryptSucceeded(Bcrypt().OpenAlgorithmProvider(algorithm.receive(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
        algorithm.reset();
    return algorithm;
}

}  // namespace zr
