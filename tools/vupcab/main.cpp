// mkvupcab: builds an update package from a version text, a Language code and a list of files or a
// release folder (or the difference of two), lists what a package declares, signs and verifies
// packages, and checks one against an installation as the tool would judge it.
//
//   mkvupcab create OUTPUT --version 1.05 --language 1 [--entry "EXCEL\Report.xls" report.xls]... [--key PRIVATE]
//   mkvupcab create OUTPUT --version 1.05 --language 1 --from RELEASE [--key PRIVATE]
//   mkvupcab diff OUTPUT --version 1.05 --language 1 OLD NEW [--ignore-removed] [--key PRIVATE]
//   mkvupcab check PACKAGE INSTALLDIR [--key PUBLIC]...
//   mkvupcab list PACKAGE
//   mkvupcab keygen PRIVATE PUBLIC
//   mkvupcab sign PACKAGE --key PRIVATE
//   mkvupcab verify PACKAGE [--key PUBLIC]...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "format/PackageFormat.h"
#include "tools/vupcab/NameText.h"
#include "tools/vupcab/PackageCheck.h"
#include "tools/vupcab/PackageSigning.h"
#include "tools/vupcab/PackageWriter.h"
#include "tools/vupcab/ReleasePackage.h"

namespace {

const char* const CREATE_USAGE =
    "usage: mkvupcab create OUTPUT --version TEXT --language CODE [--entry NAME SOURCE]... [--key PRIVATE]\n"
    "       mkvupcab create OUTPUT --version TEXT --language CODE --from RELEASE [--key PRIVATE]\n"
    "NAME is the file's path below the installation folder, folders separated by a backslash. With --from\n"
    "every file below RELEASE becomes an entry named by its path there, in the code page of CODE's Windows.\n"
    "OUTPUT appears only when it is whole (and signed, with --key). Prints one line:\n"
    "  created entries=N bytes=B key=KEYID|none out=OUTPUT\n";
const char* const DIFF_USAGE =
    "usage: mkvupcab diff OUTPUT --version TEXT --language CODE OLD NEW [--ignore-removed] [--key PRIVATE]\n"
    "A package of the files added to or changed in the release folder NEW since OLD. Files removed in NEW\n"
    "cannot be removed by a package: they are listed and fail the command unless --ignore-removed is given.\n"
    "Prints a line per file (added, changed, removed NAME), then\n"
    "  diff added=A changed=C unchanged=U removed=R out=OUTPUT|none\n";
const char* const CHECK_USAGE =
    "usage: mkvupcab check PACKAGE INSTALLDIR [--key PUBLIC]...\n"
    "A dry run that changes nothing: what a tool built with these keys (none: without keys) would make of\n"
    "PACKAGE on the installation folder INSTALLDIR. Prints the signature, the directory, a line per entry\n"
    "  entry create|replace|identical|refused SIZE NAME [: why]\n"
    "and the installation's language from its Language.ini, 0 without one (its version is not read);\n"
    "links, final paths and the package's identity are left to the tool. Then\n"
    "  check installable=yes|no refusals=N\n"
    "Exit 0 only when the tool would install it, 3 when it would refuse it.\n";
const char* const OTHER_USAGE =
    "       mkvupcab list PACKAGE\n"
    "       mkvupcab keygen PRIVATE PUBLIC\n"
    "       mkvupcab sign PACKAGE --key PRIVATE\n"
    "       mkvupcab verify PACKAGE [--key PUBLIC]...   (up to two keys, as a tool built with them)\n"
    "       mkvupcab COMMAND --help\n";

int Usage() {
    std::fprintf(stderr, "%s%s%s%s", CREATE_USAGE, DIFF_USAGE, CHECK_USAGE, OTHER_USAGE);
    return 2;
}

bool AsksForHelp(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    }
    return false;
}

int Help(const char* command) {
    const std::string name = command;
    std::fputs(name == "create"  ? CREATE_USAGE
               : name == "diff"  ? DIFF_USAGE
               : name == "check" ? CHECK_USAGE
                                 : OTHER_USAGE,
               stdout);
    return 0;
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
    const zr::KeyId id = zr::KeyIdOf(zr::PublicPart(pair));
    pair.fill(0);
    if (!signed_)
        return Fail(error);
    std::printf("signed key=%s out=%s\n", zr::ToHex(id.data(), id.size()).c_str(), package.c_str());
    return 0;
}

// The options create and diff share; the rest of the line goes to `positional`.
struct PackageOptions {
    zr::PackageContents contents;
    std::string privateKey;
    std::string from;
    bool ignoreRemoved = false;
    std::vector<std::string> positional;
};

bool ParsePackageOptions(int argc, char** argv, PackageOptions* options) {
    bool haveVersion = false;
    bool haveLanguage = false;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--version" && i + 1 < argc) {
            options->contents.version = argv[++i];
            haveVersion = true;
        } else if (option == "--language" && i + 1 < argc) {
            if (!ParseCode(argv[++i], &options->contents.language)) {
                std::fprintf(stderr, "mkvupcab: Language code \"%s\" is not a number\n", argv[i]);
                return false;
            }
            haveLanguage = true;
        } else if (option == "--entry" && i + 2 < argc) {
            zr::PackageFileEntry entry;
            entry.name = argv[i + 1];
            entry.sourcePath = argv[i + 2];
            options->contents.entries.push_back(entry);
            i += 2;
        } else if (option == "--from" && i + 1 < argc && options->from.empty()) {
            options->from = argv[++i];
        } else if (option == "--key" && i + 1 < argc && options->privateKey.empty()) {
            options->privateKey = argv[++i];
        } else if (option == "--ignore-removed") {
            options->ignoreRemoved = true;
        } else if (option.compare(0, 2, "--") == 0) {
            return false;
        } else {
            options->positional.push_back(option);
        }
    }
    return haveVersion && haveLanguage;
}

int Refused(const std::vector<std::string>& refusals, const std::string& out) {
    for (const std::string& refusal : refusals)
        std::fprintf(stderr, "mkvupcab: refused %s\n", refusal.c_str());
    return Fail("no package written: " + std::to_string(refusals.size()) + " refusal(s); \"" + out + "\" not created");
}

// Writes the package and says so in the one line a release script reads.
int Publish(const zr::PackageContents& contents, const std::string& out, const std::string& privateKey) {
    std::string keyId;
    std::string error;
    if (!zr::CreatePackageFile(contents, out, privateKey, &keyId, &error))
        return Fail(error + "; \"" + out + "\" not created");
    std::printf("created entries=%zu bytes=%llu key=%s out=%s\n", contents.entries.size(),
                static_cast<unsigned long long>(zr::PayloadBytes(contents)), keyId.empty() ? "none" : keyId.c_str(),
                out.c_str());
    return 0;
}

int Create(int argc, char** argv) {
    if (AsksForHelp(argc, argv))
        return Help("create");
    PackageOptions options;
    if (argc < 3 || !ParsePackageOptions(argc, argv, &options) || !options.positional.empty() ||
        options.ignoreRemoved || (!options.from.empty() && !options.contents.entries.empty()))
        return Usage();
    const std::string out = argv[2];
    if (!options.from.empty()) {
        std::vector<std::string> refusals;
        std::string error;
        if (options.contents.language < 0 || options.contents.language > zr::MAX_LANGUAGE_CODE)
            return Fail("Language code " + std::to_string(options.contents.language) + " is outside 0 to 15");
        if (!zr::EntriesFromFolder(options.from, &options.contents, &refusals, &error))
            return refusals.empty() ? Fail(error) : Refused(refusals, out);
    }
    return Publish(options.contents, out, options.privateKey);
}

int Diff(int argc, char** argv) {
    if (AsksForHelp(argc, argv))
        return Help("diff");
    PackageOptions options;
    if (argc < 3 || !ParsePackageOptions(argc, argv, &options) || options.positional.size() != 2 ||
        !options.from.empty() || !options.contents.entries.empty())
        return Usage();
    const std::string out = argv[2];
    if (options.contents.language < 0 || options.contents.language > zr::MAX_LANGUAGE_CODE)
        return Fail("Language code " + std::to_string(options.contents.language) + " is outside 0 to 15");
    zr::TREE_DIFF diff;
    std::vector<std::string> refusals;
    std::string error;
    if (!zr::DiffFolders(options.positional[0], options.positional[1],
                         zr::CodePageOfLanguage(options.contents.language), &diff, &refusals, &error))
        return refusals.empty() ? Fail(error) : Refused(refusals, out);
    for (const zr::RELEASE_FILE& file : diff.added)
        std::printf("added     %s\n", file.name.c_str());
    for (const zr::RELEASE_FILE& file : diff.changed)
        std::printf("changed   %s\n", file.name.c_str());
    for (const std::string& name : diff.removed)
        std::printf("removed   %s\n", name.c_str());
    const bool refuse = !diff.removed.empty() && !options.ignoreRemoved;
    std::vector<zr::RELEASE_FILE> files = diff.added;
    files.insert(files.end(), diff.changed.begin(), diff.changed.end());
    // The package in the order a package from NEW's folder would have.
    const unsigned codePage = zr::CodePageOfLanguage(options.contents.language);
    std::sort(files.begin(), files.end(), [codePage](const zr::RELEASE_FILE& a, const zr::RELEASE_FILE& b) {
        const std::string ka = zr::NameKey(a.name, codePage), kb = zr::NameKey(b.name, codePage);
        return ka != kb ? ka < kb : a.name < b.name;
    });
    for (const zr::RELEASE_FILE& file : files) {
        zr::PackageFileEntry entry;
        entry.name = file.name;
        entry.sourcePath = file.source;
        options.contents.entries.push_back(entry);
    }
    std::string keyId;
    const bool made = !refuse && zr::CreatePackageFile(options.contents, out, options.privateKey, &keyId, &error);
    std::printf("diff added=%zu changed=%zu unchanged=%zu removed=%zu out=%s\n", diff.added.size(), diff.changed.size(),
                diff.unchanged.size(), diff.removed.size(), made ? out.c_str() : "none");
    if (refuse)
        return Fail(std::to_string(diff.removed.size()) +
                    " file(s) removed in the new release, which a package cannot remove (--ignore-removed "
                    "to make the package anyway); \"" +
                    out + "\" not created");
    if (!made)
        return Fail(error + "; \"" + out + "\" not created");
    std::printf("created entries=%zu bytes=%llu key=%s out=%s\n", options.contents.entries.size(),
                static_cast<unsigned long long>(zr::PayloadBytes(options.contents)),
                keyId.empty() ? "none" : keyId.c_str(), out.c_str());
    return 0;
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
    if (result.finding.form == zr::BLOCK_SIGNED)
        std::printf("key id   %s\n", zr::ToHex(result.finding.keyId.data(), result.finding.keyId.size()).c_str());
    else if (result.finding.form == zr::BLOCK_DIGEST_ONLY)
        std::printf("key id   none (a digest-only block)\n");
    std::printf("result   %s", StateText(result.check.state));
    if (result.check.state == zr::SIGNATURE_SIGNED_BY_KEY)
        std::printf(" (key %u)", result.check.nKey + 1);
    std::printf("\n%s\n", result.accepted ? (keys.empty() ? "accepted by a tool built without keys"
                                                          : "accepted by a tool built with these keys")
                                          : "REFUSED by such a tool");
    return result.accepted ? 0 : 3;
}

bool ReadKeys(int argc, char** argv, int first, std::vector<zr::PublicKey>* keys, std::string* error) {
    for (int i = first; i < argc; i += 2) {
        if (std::strcmp(argv[i], "--key") != 0 || i + 1 >= argc || keys->size() == 2) {
            error->clear();
            return false;
        }
        zr::PublicKey key;
        if (!zr::ReadPublicKeyFile(argv[i + 1], &key, error))
            return false;
        keys->push_back(key);
    }
    return true;
}

int Check(int argc, char** argv) {
    if (AsksForHelp(argc, argv))
        return Help("check");
    if (argc < 4)
        return Usage();
    std::vector<zr::PublicKey> keys;
    std::string error;
    if (!ReadKeys(argc, argv, 4, &keys, &error))
        return error.empty() ? Usage() : Fail(error);
    zr::PACKAGE_CHECK check;
    if (!zr::CheckPackageAgainst(argv[2], argv[3], keys, &check, &error))
        return Fail(error);
    std::printf("package   version=%s language=%d\n", check.version.c_str(), check.nLanguage);
    std::printf("signature %s accepted=%s\n", StateText(check.signature.check.state),
                check.signature.accepted ? "yes" : "no");
    std::printf("directory %s\n", check.bDirectoryOk ? "sound" : ("refused: " + check.directoryText).c_str());
    for (const zr::ENTRY_CHECK& entry : check.entries) {
        std::printf("entry     %-9s %10lu %s", zr::EntryActionText(entry.action),
                    static_cast<unsigned long>(entry.nSize), entry.name.c_str());
        if (entry.action == zr::ENTRY_REFUSED)
            std::printf(" : %s", zr::DestinationFaultText(entry.fault));
        std::printf("\n");
    }
    std::printf("installed language=%d version=not-read\n", check.nInstalledLanguage);
    std::printf("not-judged links, final paths, the package's identity (the tool judges them on Windows)\n");
    for (const std::string& refusal : check.refusals)
        std::printf("refused   %s\n", refusal.c_str());
    std::printf("check installable=%s refusals=%zu\n", check.refusals.empty() ? "yes" : "no", check.refusals.size());
    return check.refusals.empty() ? 0 : 3;
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
    if (argc >= 2 && std::strcmp(argv[1], "diff") == 0)
        return Diff(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "check") == 0)
        return Check(argc, argv);
    if (argc >= 3 && AsksForHelp(argc, argv))
        return Help(argv[1]);
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
