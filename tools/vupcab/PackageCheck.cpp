#include "tools/vupcab/PackageCheck.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <system_error>

#include "format/PackageDirectory.h"
#include "format/PackageHeader.h"
#include "product/LanguageText.h"
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

// The installed Language code as the tool reads it: 0 without Language.ini.
int ReadInstalledLanguage(const fs::path& installFolder) {
    std::ifstream in(installFolder / "Language.ini", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    char value[LANGUAGE_VALUE_SIZE];
    return InstalledLanguageOfText(text.data(), text.size(), value);
}

// What stands at `relative` below `installFolder` and on the way to it, as the plain calls of this file
// system say (a link is followed, not judged); not what stands at a name named before.
void GatherDestinationFacts(const fs::path& installFolder, const fs::path& relative, DESTINATION_FACTS* facts) {
    std::error_code failure;
    fs::path at = installFolder;
    for (const fs::path& folder : relative.parent_path()) {
        at /= folder;
        const fs::file_status status = fs::status(at, failure);
        if (!fs::is_directory(status)) {
            facts->bWayMissing = true;
            facts->bUnknown = failure && status.type() != fs::file_type::not_found;
            return;
        }
    }
    if (facts->bNamedBefore)
        return;  // what stands there then is the earlier entry's file
    const fs::file_status status = fs::status(installFolder / relative, failure);
    switch (status.type()) {
        case fs::file_type::not_found:
            return;
        case fs::file_type::none:
            facts->bUnknown = true;
            return;
        case fs::file_type::regular:
            facts->standing = STANDS_FILE;
            break;
        case fs::file_type::directory:
            facts->standing = STANDS_FOLDER;
            break;
        default:
            facts->standing = STANDS_OTHER;
    }
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    facts->bReadOnly = (status.permissions() & writable) == fs::perms::none;
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
    check->nLanguage = header.nLanguage;
    const unsigned codePage = CodePageOfLanguage(check->nLanguage);

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
    check->bDirectoryOk = verdict.fault == PACKAGE_OK;
    if (!check->bDirectoryOk) {
        check->directoryText = PackageFaultText(verdict.fault);
        if (verdict.fault == PACKAGE_BAD_ENTRY_NAME)
            check->directoryText += std::string(" (entry ") + std::to_string(verdict.nEntry + 1) + ": " +
                                    NameFaultText(verdict.nameFault) + ")";
        check->refusals.push_back("directory: " + check->directoryText);
    }

    std::set<std::string> named;  // names of the earlier entries, as the tool compares names
    std::uint64_t offset = PayloadOffset(directory->nCount);
    for (unsigned i = 0; check->bDirectoryOk && i < directory->nCount; ++i) {
        const PACKAGE_ENTRY& record = directory->entries[i];
        ENTRY_CHECK entry;
        entry.name = record.szName;
        entry.nSize = record.dwSize;
        fs::path relative;
        DESTINATION_FACTS facts;
        facts.bNamedBefore = !named.insert(NameKey(entry.name, codePage)).second;
        if (!FromPackageName(entry.name, codePage, &relative))
            facts.bUnknown = true;
        else
            GatherDestinationFacts(installFolder, relative, &facts);
        entry.fault = JudgeDestination(entry.name.c_str(), facts);
        if (entry.fault != DESTINATION_OK) {
            entry.action = ENTRY_REFUSED;
            check->refusals.push_back("entry " + entry.name + ": " + DestinationFaultText(entry.fault));
        } else if (PlacingOf(facts) == PLACE_NEW) {
            entry.action = ENTRY_CREATE;
        } else {
            entry.action = PlacingOf(facts) == PLACE_OVER_INSTALLED &&
                                   SamePayload(installFolder / relative, in.get(), offset, entry.nSize)
                               ? ENTRY_IDENTICAL
                               : ENTRY_REPLACE;
        }
        offset += entry.nSize;
        check->entries.push_back(entry);
    }

    check->nInstalledLanguage = ReadInstalledLanguage(installFolder);
    if (check->nInstalledLanguage != check->nLanguage)
        check->refusals.push_back("language: the package's " + std::to_string(check->nLanguage) +
                                  " is not the installation's " + std::to_string(check->nInstalledLanguage));
    return true;
}

}  // namespace zr
