// `mkvupcab check`: what the tool would make of a package on an installation, found without changing
// anything, through the rules the tool itself runs: the signature policy (format/SignatureBlock.h),
// the directory's judgement (format/PackageDirectory.h), each destination's (format/DestinationRule.h)
// and the installed language's reading (product/LanguageText.h). Only the plain facts of this machine's
// file system are gathered here (what stands at a name, read-only); what only Windows answers (links
// and final paths on the way and at a name, whether a file there is the package itself) is left to
// the tool, and `check` says so.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "format/DestinationRule.h"
#include "tools/vupcab/PackageSigning.h"

namespace zr {

enum E_ENTRY_ACTION { ENTRY_CREATE, ENTRY_REPLACE, ENTRY_IDENTICAL, ENTRY_REFUSED };

struct ENTRY_CHECK {
    std::string name;  // as the package carries it
    std::uint32_t nSize = 0;
    E_ENTRY_ACTION action = ENTRY_REFUSED;
    E_DESTINATION_FAULT fault = DESTINATION_OK;
};

struct PACKAGE_CHECK {
    std::string version;  // the package's, up to the first NUL of its field
    int nLanguage = 0;
    PackageVerification signature;
    bool bDirectoryOk = false;
    std::string directoryText;  // why the directory is refused, naming the entry
    std::vector<ENTRY_CHECK> entries;
    int nInstalledLanguage = 0;         // as the tool reads Language.ini: 0 without the file or its value
    std::vector<std::string> refusals;  // every reason the tool would not install it; empty: it would
};

// Checks `package` against the installation folder `installFolder` as a tool built with `keys` would.
// False (with `error`) only when the package or the folder cannot be read at all.
bool CheckPackageAgainst(const std::filesystem::path& package,
                         const std::filesystem::path& installFolder,
                         const std::vector<PublicKey>& keys,
                         PACKAGE_CHECK* check,
                         std::string* error);

const char* EntryActionText(E_ENTRY_ACTION action);

}  // namespace zr
