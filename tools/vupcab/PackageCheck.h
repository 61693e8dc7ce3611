// `mkvupcab check`: what the tool would make of a package on an installation, found without changing
// anything, through the rules the tool itself runs: the signature policy (package/SignatureBlock.h),
// the directory's judgement (package/PackageDirectory.h) and each destination's
// (format/DestinationRule.h). Only the facts are gathered here, from this machine's file system.
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
    std::uint32_t size = 0;
    E_ENTRY_ACTION action = ENTRY_REFUSED;
    E_DESTINATION_FAULT fault = DESTINATION_OK;
};

struct PACKAGE_CHECK {
    std::string version;  // the package's, up to the first NUL of its field
    int language = 0;
    PackageVerification signature;
    bool directoryOk = false;
    std::string directoryText;  // why the directory is refused, naming the entry
    std::vector<ENTRY_CHECK> entries;
    bool languageRecorded = false;  // the installation holds Language.ini with [LangList] No0
    int installedLanguage = 0;
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
