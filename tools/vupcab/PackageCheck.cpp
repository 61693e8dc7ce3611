#include "tools/vupcab/PackageCheck.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <system_error>

#include "format/PackageDirectory.h"
#include "format/PackageHeader.h"
#include "tools/vupcab/DestinationFacts.h"
#include "tools/vupcab/FileOpen.h"
#include "tools/vupcab/NameText.h"

namespace zr {
namespace {

namespace fs = std::filesystem;

// The installation folder text the tool is given (ending in a backslash), for the length of the
// Destination paths; natively the folder's path with its separators turned.
std::string InstallFolderText(const fs::path& installFolder) {
    std::string text = fs::absolute(installFolder).lexically_normal().string();
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    if (text.empty() || text.back() != '\\')
        text += '\\';
    return text;
}

// [LangList] No0 of Language.ini as the tool reads it (section and key without case, the value's
// leading number); false when the installation records none.
bool ReadInstalledLanguage(const fs::path& installFolder, int* language) {
    std::ifstream in(installFolder / "Language.ini");
    std::string line;
    bool inSection = false;
    auto trimmed = [](std::string text) {
        const std::size_t first = text.find_first_not_of(" \t\r");
        const std::size_t last = text.find_last_not_of(" \t\r");
        return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    };
    auto upper = [](std::string text) {
        for (char& c : text)
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        return text;
    };
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (!line.empty() && line[0] == '[') {
            inSection = upper(line) == "[LANGLIST]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inSection && equals != std::string::npos && upper(trimmed(line.substr(0, equals))) == "NO0") {
            const std::string value = trimmed(line.substr(equals + 1));
            if (value.empty())
                return false;
            *language = std::atoi(value.c_str());
            return true;
        }
    }
    return false;
}

bool SamePayload(const fs::path& destination, std::FILE* package, std::uint64_t offset, std::uint32_t size) {
    std::error_code failure;
    if (fs::file_size(destination, failure) != size || failure)
        return false;
    ScopedFile installed(OpenFile(destination, "rb"));
    if (!installed || std::fseek(package, 0, SEEK_SET) != 0)
        return false;
    // Seek in steps that fit a long, for payloads far into large packages.
    for (std::uint64_t left = offset; left > 0;) {
        const long step = static_cast<long>(left > 0x40000000u ? 0x40000000u : left);
        if (std::fseek(package, step, SEEK_CUR) != 0)
            return false;
        left -= static_cast<std::uint64_t>(step);
    }
    static char a[1 << 16], b[1 << 16];
    for (std::uint32_t left = size; left > 0;) {
        const std::size_t want = left < sizeof a ? left : sizeof a;
        if (std::fread(a, 1, want, package) != want || std::fread(b, 1, want, installed.get()) != want ||
            std::memcmp(a, b, want) != 0)
            return false;
        left -= static_cast<std::uint32_t>(want);
    }
    return true;
}

const char* SignatureText(const SIGNATURE_CHECK& check) {
    switch (check.state) {
        case SIGNATURE_NO_BLOCK:
            return "unsigned";
        case SIGNATURE_DIGEST_OK:
            return "digest-only-or-unknown-key";
        case SIGNATURE_SIGNED_BY_KEY:
            return "signed-by-key";
        case SIGNATURE_DAMAGED:
            return "damaged";
        case SIGNATURE_NOT_FROM_MAKER:
            return "not-from-maker";
        default:
            return "cannot-be-checked";
    }
}

}  // namespace

const char* EntryActionText(E_ENTRY_ACTION action) {
    switch (action) {
        case ENTRY_CREATE:
            return "create";
        case ENTRY_REPLACE:
            return "replace";
        case ENTRY_IDENTICAL:
            return "identical";
        case ENTRY_REFUSED:
            return "refused";
    }
    return "refused";
}

bool CheckPackageAgainst(const fs::path& package,
                         const fs::path& installFolder,
                         const std::vector<PublicKey>& keys,
                         PACKAGE_CHECK* check,
                         std::string* error) {
    *check = PACKAGE_CHECK();
    std::error_code failure;
    if (!fs::is_directory(installFolder, failure)) {
        *error = "\"" + installFolder.string() + "\" is not a folder";
        return false;
    }
    ScopedFile in(OpenFile(package, "rb"));
    const std::uint64_t size = fs::file_size(package, failure);
    if (!in || failure) {
        *error = "cannot open \"" + package.string() + "\"";
        return false;
    }
    std::vector<unsigned char> head(MAX_DIRECTORY_END);
    const std::size_t got = std::fread(head.data(), 1, head.size(), in.get());
    const PACKAGE_HEADER header = DecodePackageHeader(head.data(), got);
    check->version = header.szVersion;
    check->language = header.nLanguage;
    const unsigned codePage = CodePageOfLanguage(check->language);

    if (check->version.empty())
        check->refusals.push_back("version: the package carries no version");
    // The tool's order: the signature first, then the directory, then each destination.
    if (!VerifyPackageFile(package.string(), keys, &check->signature, error))
        return false;
    if (!check->signature.accepted)
        check->refusals.push_back(
            std::string("signature: ") + SignatureText(check->signature.check) +
            (keys.empty() ? ", refused by a tool built without keys" : ", refused by a tool built with these keys"));

    auto directory = std::make_unique<PACKAGE_DIRECTORY>();
    DecodePackageDirectory(head.data(), got, directory.get());
    const PACKAGE_VERDICT verdict =
        CheckPackageDirectory(*directory, SignedLength(size, check->signature.finding.form),
                              InstallFolderText(installFolder).size(), LeadBytesOf(codePage));
    check->directoryOk = verdict.fault == PACKAGE_OK;
    if (!check->directoryOk) {
        check->directoryText = PackageFaultText(verdict.fault);
        if (verdict.fault == PACKAGE_BAD_ENTRY_NAME)
            check->directoryText += std::string(" (entry ") + std::to_string(verdict.nEntry + 1) + ": " +
                                    NameFaultText(verdict.nameFault) + ")";
        check->refusals.push_back("directory: " + check->directoryText);
    }

    const FILE_ID packageId = FileIdOf(package);
    std::set<std::string> placed;  // names an earlier entry leaves a file at
    std::uint64_t offset = PayloadOffset(directory->nCount);
    for (unsigned i = 0; check->directoryOk && i < directory->nCount; ++i) {
        const PACKAGE_ENTRY& named = directory->entries[i];
        ENTRY_CHECK entry;
        entry.name = named.szName;
        entry.size = named.dwSize;
        fs::path relative;
        DESTINATION_FACTS facts;
        if (!FromPackageName(entry.name, codePage, &relative))
            facts.bUnknown = true;
        else
            facts = GatherDestinationFacts(installFolder, relative, packageId);
        const bool earlier = !placed.insert(NameKey(entry.name, codePage)).second;
        if (earlier && !facts.bUnknown && !facts.bWayLinked && !facts.bWayMissing) {
            facts.standing = STANDS_FILE;  // what the earlier entry put there
            facts.bReadOnly = facts.bIsPackage = false;
        }
        entry.fault = JudgeDestination(entry.name.c_str(), facts);
        if (entry.fault != DESTINATION_OK) {
            entry.action = ENTRY_REFUSED;
            check->refusals.push_back("entry " + entry.name + ": " + DestinationFaultText(entry.fault));
        } else if (facts.standing == STANDS_NOTHING) {
            entry.action = ENTRY_CREATE;
        } else {
            entry.action = !earlier && SamePayload(installFolder / relative, in.get(), offset, entry.size)
                               ? ENTRY_IDENTICAL
                               : ENTRY_REPLACE;
        }
        offset += entry.size;
        check->entries.push_back(entry);
    }

    check->languageRecorded = ReadInstalledLanguage(installFolder, &check->installedLanguage);
    if (check->languageRecorded && check->installedLanguage != check->language)
        check->refusals.push_back("language: the package's " + std::to_string(check->language) +
                                  " is not the installation's " + std::to_string(check->installedLanguage));
    return true;
}

}  // namespace zr
