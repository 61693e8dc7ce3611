// Windows' own cryptography, bcrypt.dll, from the system folder only: the tool runs from a download
// folder, where a planted bcrypt.dll must never be loaded, so the DLL is neither imported nor looked
// up by name. Present since Vista. Its handles have owners like every other handle.
#pragma once

#include <windows.h>

#include <bcrypt.h>

#include "framework/ScopedHandle.h"

namespace zr {

// The calls the signature check makes; signing is the package tool's alone (tools/vupcab).
struct BCRYPT_LIBRARY {
    bool bLoaded;  // the DLL and every call below were found
    decltype(&::BCryptOpenAlgorithmProvider) OpenAlgorithmProvider;
    decltype(&::BCryptCloseAlgorithmProvider) CloseAlgorithmProvider;
    decltype(&::BCryptGetProperty) GetProperty;
    decltype(&::BCryptCreateHash) CreateHash;
    decltype(&::BCryptHashData) HashData;
    decltype(&::BCryptFinishHash) FinishHash;
    decltype(&::BCryptDestroyHash) DestroyHash;
    decltype(&::BCryptImportKeyPair) ImportKeyPair;
    decltype(&::BCryptDestroyKey) DestroyKey;
    decltype(&::BCryptVerifySignature) VerifySignature;
};

// The process's one copy, loaded on first use and kept for the process's life.
const BCRYPT_LIBRARY& Bcrypt();

struct BcryptAlgorithmTraits : NullMeansNone<BCRYPT_ALG_HANDLE> {
    static void Close(Handle h) { Bcrypt().CloseAlgorithmProvider(h, 0); }
};
struct BcryptKeyTraits : NullMeansNone<BCRYPT_KEY_HANDLE> {
    static void Close(Handle h) { Bcrypt().DestroyKey(h); }
};
struct BcryptHashTraits : NullMeansNone<BCRYPT_HASH_HANDLE> {
    static void Close(Handle h) { Bcrypt().DestroyHash(h); }
};
using ScopedBcryptAlgorithm = ScopedHandle<BcryptAlgorithmTraits>;
using ScopedBcryptKey = ScopedHandle<BcryptKeyTraits>;
using ScopedBcryptHash = ScopedHandle<BcryptHashTraits>;

inline bool BcryptSucceeded(NTSTATUS status) {
    return status >= 0;
}

// An ECDSA P-256 algorithm handle, null when the library or the algorithm is missing.
ScopedBcryptAlgorithm OpenEcdsaP256();

// Bcrypt's key blob for P-256: the header, then X || Y and, for a private key, d.
struct ECC_P256_BLOB {
    BCRYPT_ECCKEY_BLOB header;
    unsigned char bytes[96];
};

}  // namespace zr
