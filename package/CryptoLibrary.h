// SHA-256 and ECDSA P-256 from Windows' own cryptography, bcrypt.dll in the system folder only (the
// tool runs from a download folder, where a planted bcrypt.dll must never be loaded; so the DLL is
// not imported and not looked up by name). Present since Vista.
#pragma once

#include <windows.h>

#include <array>
#include <bcrypt.h>
#include <cstddef>

#include "framework/ScopedHandle.h"
#include "package/SignatureBlock.h"

namespace zr {

// X || Y || d: the layout of the private key file and of bcrypt's private key blob behind its header.
using PrivateKey = std::array<unsigned char, PUBLIC_KEY_SIZE + PRIVATE_KEY_SIZE>;

class CryptoLibrary {
  public:
    // Loads <system folder>\bcrypt.dll; IsLoaded() is false when it or one of the calls is missing.
    CryptoLibrary();
    CryptoLibrary(const CryptoLibrary&) = delete;
    CryptoLibrary& operator=(const CryptoLibrary&) = delete;

    bool IsLoaded() const { return m_loaded; }

    // True only when `signature` is a valid signature of `digest` by `key`. False for a key that is
    // not a point of the curve, too.
    bool Verify(const PublicKey& key, const Digest& digest, const SignatureValue& signature) const;
    // Signs `digest`; false when the key is refused. Signatures are randomised.
    bool Sign(const PrivateKey& key, const Digest& digest, SignatureValue* signature) const;
    // A fresh key pair; false when the system cannot make one.
    bool GenerateKey(PrivateKey* key) const;

    // SHA-256 over bytes given in any number of pieces.
    class Hash {
      public:
        explicit Hash(const CryptoLibrary& library);
        ~Hash();
        Hash(const Hash&) = delete;
        Hash& operator=(const Hash&) = delete;
        bool IsValid() const { return m_hash != nullptr; }
        bool Add(const void* bytes, std::size_t size);
        // The digest of everything added; the hash cannot take more afterwards.
        bool Finish(Digest* digest);

      private:
        const CryptoLibrary& m_library;
        BCRYPT_ALG_HANDLE m_algorithm = nullptr;
        BCRYPT_HASH_HANDLE m_hash = nullptr;
        std::array<unsigned char, 1024> m_object = {};
    };

    // The first bytes of the SHA-256 of the key's 64 bytes; all zero when hashing fails.
    KeyId KeyIdOf(const PublicKey& key) const;

  private:
    bool ImportKey(const void* blob,
                   ULONG size,
                   const wchar_t* blobType,
                   BCRYPT_ALG_HANDLE* algorithm,
                   BCRYPT_KEY_HANDLE* key) const;

    ScopedModule m_module;
    bool m_loaded = false;
    decltype(&::BCryptOpenAlgorithmProvider) m_open = nullptr;
    decltype(&::BCryptCloseAlgorithmProvider) m_close = nullptr;
    decltype(&::BCryptGetProperty) m_getProperty = nullptr;
    decltype(&::BCryptCreateHash) m_createHash = nullptr;
    decltype(&::BCryptHashData) m_hashData = nullptr;
    decltype(&::BCryptFinishHash) m_finishHash = nullptr;
    decltype(&::BCryptDestroyHash) m_destroyHash = nullptr;
    decltype(&::BCryptImportKeyPair) m_importKey = nullptr;
    decltype(&::BCryptDestroyKey) m_destroyKey = nullptr;
    decltype(&::BCryptVerifySignature) m_verify = nullptr;
    decltype(&::BCryptSignHash) m_sign = nullptr;
    decltype(&::BCryptGenerateKeyPair) m_generate = nullptr;
    decltype(&::BCryptFinalizeKeyPair) m_finalize = nullptr;
    decltype(&::BCryptExportKey) m_export = nullptr;
};

}  // namespace zr
