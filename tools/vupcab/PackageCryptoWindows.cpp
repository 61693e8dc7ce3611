// The package tool's cryptography on Windows: the tool's own bcrypt.dll wrapper, so a package the
// Windows package tool signs is checked by the same calls as in the tool.
#include "package/CryptoLibrary.h"
#include "tools/vupcab/PackageSigning.h"

namespace zr {

namespace {
const CryptoLibrary& Library() {
    static const CryptoLibrary library;
    return library;
}
}  // namespace

struct Sha256::State {
    State() : hash(Library()) {}
    CryptoLibrary::Hash hash;
};

Sha256::Sha256() : m_state(new State) {}
Sha256::~Sha256() = default;

bool Sha256::Add(const void* bytes, std::size_t size) {
    return m_state->hash.Add(bytes, size);
}

bool Sha256::Finish(Digest* digest) {
    return m_state->hash.Finish(digest);
}

bool GenerateKeyPair(KeyPair* pair) {
    return Library().GenerateKey(pair);
}

bool SignDigest(const KeyPair& pair, const Digest& digest, SignatureValue* signature) {
    return Library().Sign(pair, digest, signature);
}

bool VerifyDigest(const PublicKey& key, const Digest& digest, const SignatureValue& signature) {
    return Library().Verify(key, digest, signature);
}

}  // namespace zr
