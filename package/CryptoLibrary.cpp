#include "package/CryptoLibrary.h"

#include <cstring>

#include "framework/SystemLibrary.h"

namespace zr {

namespace {

template <class Function>
void Resolve(HMODULE module, const char* name, Function* function) {
    *function = LibraryFunction<Function>(module, name);
}

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

struct EccBlob {
    BCRYPT_ECCKEY_BLOB header;
    unsigned char bytes[PUBLIC_KEY_SIZE + PRIVATE_KEY_SIZE];
};

}  // namespace

CryptoLibrary::CryptoLibrary() {
    m_module.reset(LoadSystemLibrary(L"bcrypt.dll"));
    if (!m_module)
        return;
    HMODULE module = m_module.get();
    Resolve(module, "BCryptOpenAlgorithmProvider", &m_open);
    Resolve(module, "BCryptCloseAlgorithmProvider", &m_close);
    Resolve(module, "BCryptGetProperty", &m_getProperty);
    Resolve(module, "BCryptCreateHash", &m_createHash);
    Resolve(module, "BCryptHashData", &m_hashData);
    Resolve(module, "BCryptFinishHash", &m_finishHash);
    Resolve(module, "BCryptDestroyHash", &m_destroyHash);
    Resolve(module, "BCryptImportKeyPair", &m_importKey);
    Resolve(module, "BCryptDestroyKey", &m_destroyKey);
    Resolve(module, "BCryptVerifySignature", &m_verify);
    Resolve(module, "BCryptSignHash", &m_sign);
    Resolve(module, "BCryptGenerateKeyPair", &m_generate);
    Resolve(module, "BCryptFinalizeKeyPair", &m_finalize);
    Resolve(module, "BCryptExportKey", &m_export);
    m_loaded = m_open && m_close && m_getProperty && m_createHash && m_hashData && m_finishHash && m_destroyHash &&
               m_importKey && m_destroyKey && m_verify && m_sign && m_generate && m_finalize && m_export;
}

bool CryptoLibrary::ImportKey(const void* blob,
                              ULONG size,
                              const wchar_t* blobType,
                              BCRYPT_ALG_HANDLE* algorithm,
                              BCRYPT_KEY_HANDLE* key) const {
    if (!Succeeded(m_open(algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
        return false;
    if (Succeeded(
            m_importKey(*algorithm, nullptr, blobType, key, static_cast<PUCHAR>(const_cast<void*>(blob)), size, 0)))
        return true;
    m_close(*algorithm, 0);
    *algorithm = nullptr;
    return false;
}

bool CryptoLibrary::Verify(const PublicKey& key, const Digest& digest, const SignatureValue& signature) const {
    if (!m_loaded)
        return false;
    EccBlob blob = {};
    blob.header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    blob.header.cbKey = PRIVATE_KEY_SIZE;
    std::memcpy(blob.bytes, key.data(), PUBLIC_KEY_SIZE);
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE handle = nullptr;
    if (!ImportKey(&blob, sizeof blob.header + PUBLIC_KEY_SIZE, BCRYPT_ECCPUBLIC_BLOB, &algorithm, &handle))
        return false;
    // The API takes non-const buffers it only reads.
    Digest hash = digest;
    SignatureValue value = signature;
    const bool valid = m_verify(handle, nullptr, hash.data(), DIGEST_SIZE, value.data(), SIGNATURE_VALUE_SIZE, 0) == 0;
    m_destroyKey(handle);
    m_close(algorithm, 0);
    return valid;
}

bool CryptoLibrary::Sign(const PrivateKey& key, const Digest& digest, SignatureValue* signature) const {
    if (!m_loaded)
        return false;
    EccBlob blob = {};
    blob.header.dwMagic = BCRYPT_ECDSA_PRIVATE_P256_MAGIC;
    blob.header.cbKey = PRIVATE_KEY_SIZE;
    std::memcpy(blob.bytes, key.data(), key.size());
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE handle = nullptr;
    const bool imported = ImportKey(&blob, sizeof blob, BCRYPT_ECCPRIVATE_BLOB, &algorithm, &handle);
    ::SecureZeroMemory(&blob, sizeof blob);
    if (!imported)
        return false;
    Digest hash = digest;
    ULONG written = 0;
    const bool signed_ = Succeeded(m_sign(handle, nullptr, hash.data(), DIGEST_SIZE, signature->data(),
                                          SIGNATURE_VALUE_SIZE, &written, 0)) &&
                         written == SIGNATURE_VALUE_SIZE;
    m_destroyKey(handle);
    m_close(algorithm, 0);
    return signed_;
}

bool CryptoLibrary::GenerateKey(PrivateKey* key) const {
    if (!m_loaded)
        return false;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(m_open(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
        return false;
    BCRYPT_KEY_HANDLE handle = nullptr;
    bool made = false;
    if (Succeeded(m_generate(algorithm, &handle, 256, 0))) {
        EccBlob blob = {};
        ULONG written = 0;
        made = Succeeded(m_finalize(handle, 0)) &&
               Succeeded(m_export(handle, nullptr, BCRYPT_ECCPRIVATE_BLOB, reinterpret_cast<PUCHAR>(&blob), sizeof blob,
                                  &written, 0)) &&
               written == sizeof blob && blob.header.cbKey == PRIVATE_KEY_SIZE;
        if (made)
            std::memcpy(key->data(), blob.bytes, key->size());
        ::SecureZeroMemory(&blob, sizeof blob);
        m_destroyKey(handle);
    }
    m_close(algorithm, 0);
    return made;
}

CryptoLibrary::Hash::Hash(const CryptoLibrary& library) : m_library(library) {
    if (!library.m_loaded || !Succeeded(library.m_open(&m_algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return;
    // Vista wants the hash object's memory from the caller.
    DWORD objectSize = 0;
    ULONG got = 0;
    if (!Succeeded(library.m_getProperty(m_algorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                                         sizeof objectSize, &got, 0)) ||
        objectSize > m_object.size())
        return;
    if (!Succeeded(library.m_createHash(m_algorithm, &m_hash, m_object.data(), objectSize, nullptr, 0, 0)))
        m_hash = nullptr;
}

CryptoLibrary::Hash::~Hash() {
    if (m_hash)
        m_library.m_destroyHash(m_hash);
    if (m_algorithm)
        m_library.m_close(m_algorithm, 0);
}

bool CryptoLibrary::Hash::Add(const void* bytes, std::size_t size) {
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    while (m_hash && size > 0) {
        const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        if (!Succeeded(m_library.m_hashData(m_hash, const_cast<PUCHAR>(at), piece, 0)))
            return false;
        at += piece;
        size -= piece;
    }
    return m_hash != nullptr;
}

bool CryptoLibrary::Hash::Finish(Digest* digest) {
    return m_hash && Succeeded(m_library.m_finishHash(m_hash, digest->data(), DIGEST_SIZE, 0));
}

KeyId CryptoLibrary::KeyIdOf(const PublicKey& key) const {
    KeyId id = {};
    Hash hash(*this);
    Digest digest;
    if (hash.Add(key.data(), key.size()) && hash.Finish(&digest))
        std::memcpy(id.data(), digest.data(), id.size());
    return id;
}

}  // namespace zr
