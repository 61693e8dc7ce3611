// mkvupcab: builds an update package from a version text, a Language code and a list of files, lists
// what a package declares, and signs and verifies packages.
//
//   mkvupcab create OUTPUT --version 1.05 --language 1 [--entry "EXCEL\Report.xls" report.xls]... [--key PRIVATE]
//   mkvupcab list PACKAGE
//   mkvupcab keygen PRIVATE PUBLIC
//   mkvupcab sign PACKAGE --key PRIVATE
//   mkvupcab verify PACKAGE [--key PUBLIC]...
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/vupcab/PackageSigning.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: mkvupcab create OUTPUT --version TEXT --language CODE [--entry NAME SOURCE]... [--key PRIVATE]\n"
        "       mkvupcab list PACKAGE\n"
        "       mkvupcab keygen PRIVATE PUBLIC\n"
        "       mkvupcab sign PACKAGE --key PRIVATE\n"
        "       mkvupcab verify PACKAGE [--key PUBLIC]...   (up to two keys, as a tool built with them)\n"
        "NAME is the file's path below the installation folder, folders separated by a backslash.\n");
    return 2;
}

bool ParseCode(const char* text, int* code) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < -1000 || value > 1000)
        return false;
    *code = static_cast<int>(value);
    return true;
}

int Fail(const std::string& error) {
    std::fprintf(stderr, "mkvupcab: %s\n", error.c_str());
    return 1;
}

int Sign(const std::string& package, const std::string& privatePath) {
    zr::KeyPair pair;
    std::string error;
    const bool signed_ =
        zr::ReadPrivateKeyFile(privatePath, &pair, &error) && zr::SignPackageFile(package, pair, &error);
    pair.fill(0);
    return signed_ ? 0 : Fail(error);
}

int Create(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    std::string privateKey;
    zr::PackageContents contents;
    bool haveVersion = false;
    bool haveLanguage = false;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--version" && i + 1 < argc) {
            contents.version = argv[++i];
            haveVersion = true;
        } else if (option == "--language" && i + 1 < argc) {
            if (!ParseCode(argv[++i], &contents.language)) {
                std::fprintf(stderr, "mkvupcab: Language code \"%s\" is not a number\n", argv[i]);
                return 1;
            }
            haveLanguage = true;
        } else if (option == "--entry" && i + 2 < argc) {
            zr::PackageFileEntry entry;
            entry.name = argv[i + 1];
            entry.sourcePath = argv[i + 2];
            contents.entries.push_back(entry);
            i += 2;
        } else if (option == "--key" && i + 1 < argc && privateKey.empty()) {
            privateKey = argv[++i];
        } else {
            return Usage();
        }
    }
    if (!haveVersion || !haveLanguage)
        return Usage();
    std::string error;
    if (!zr::WritePackage(contents, argv[2], &error)) {
        std::fprintf(stderr, "mkvupcab: %s\n", error.c_str());
        return 1;
    }
    return privateKey.empty() ? 0 : Sign(argv[2], privateKey);
}

int KeyGen(const std::string& privatePath, const std::string& publicPath) {
    zr::KeyPair pair;
    if (!zr::GenerateKeyPair(&pair))
        return Fail("this system cannot make a P-256 key pair");
    std::string error;
    const bool written = zr::WriteKeyFiles(pair, privatePath, publicPath, &error);
    const zr::KeyId id = zr::KeyIdOf(zr::PublicPart(pair));
    pair.fill(0);
    if (!written)
        return Fail(error);
    std::printf("key id   %s\n", zr::ToHex(id.data(), id.size()).c_str());
    return 0;
}

const char* StateText(zr::E_SIGNATURE_STATE state) {
    switch (state) {
        case zr::SIGNATURE_NO_BLOCK:
            return "unsigned (no signature block)";
        case zr::SIGNATURE_DIGEST_OK:
            return "the digest matches";
        case zr::SIGNATURE_SIGNED_BY_KEY:
            return "signed by the given key";
        case zr::SIGNATURE_DAMAGED:
            return "DAMAGED: the block is malformed, the bytes before it do not match its digest, or the payloads "
                   "do not end where it begins";
        case zr::SIGNATURE_NOT_FROM_MAKER:
            return "NOT FROM THE MAKER: no given key signed it";
        default:
            return "cannot be checked";
    }
}

int Verify(int argc, char** argv) {
    std::vector<zr::PublicKey> keys;
    for (int i = 3; i < argc; i += 2) {
        if (std::strcmp(argv[i], "--key") != 0 || i + 1 >= argc || keys.size() == 2)
            return Usage();
        zr::PublicKey key;
        std::string error;
        if (!zr::ReadPublicKeyFile(argv[i + 1], &key, &error))
            return Fail(error);
        keys.push_back(key);
    }
    zr::PackageVerification result;
    std::string error;
    if (!zr::VerifyPackageFile(argv[2], keys, &result, &error))
        return Fail(error);
    if (result.form == zr::BLOCK_SIGNED)
        std::printf("key id   %s\n", zr::ToHex(result.keyId.data(), result.keyId.size()).c_str());
    else if (result.form == zr::BLOCK_DIGEST_ONLY)
        std::printf("key id   none (a digest-only block)\n");
    std::printf("result   %s", StateText(result.check.state));
    if (result.check.state == zr::SIGNATURE_SIGNED_BY_KEY)
        std::printf(" (key %u)", result.check.nKey + 1);
    std::printf("\n%s\n", result.accepted ? (keys.empty() ? "accepted by a tool built without keys"
                                                          : "accepted by a tool built with these keys")
                                          : "REFUSED by such a tool");
    return result.accepted ? 0 : 3;
}

int List(const char* path) {
    zr::PackageListing listing;
    std::string error;
    if (!zr::ReadPackageListing(path, &listing, &error)) {
        std::fprintf(stderr, "mkvupcab: %s\n", error.c_str());
        return 1;
    }
    std::printf("version  %s\nlanguage %u (byte 0x%02X)\nentries  %u\n", listing.version.c_str(),
                listing.languageByte & 0x0F, listing.languageByte, listing.entryCount);
    unsigned long long declared = 0;
    for (const zr::PackageListing::Record& record : listing.records) {
        std::printf("%12lu  %s%s\n", static_cast<unsigned long>(record.size), record.name.c_str(),
                    record.terminated ? "" : "  (name not terminated)");
        declared += record.size;
    }
    if (!listing.directoryComplete)
        std::printf("directory cut short: %zu of %u entries present\n", listing.records.size(), listing.entryCount);
    std::printf("payload  %llu bytes declared, %llu present\n", declared,
                static_cast<unsigned long long>(listing.payloadBytes));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "create") == 0)
        return Create(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "list") == 0)
        return List(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "keygen") == 0)
        return KeyGen(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "sign") == 0 && std::strcmp(argv[3], "--key") == 0)
        return Sign(argv[2], argv[4]);
    if (argc >= 3 && std::strcmp(argv[1], "verify") == 0)
        return Verify(argc, argv);
    return Usage();
}
