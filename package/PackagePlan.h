// The file system's part of judging a package: every named entry resolved to its full destination
// path before anything is written, and the folders it goes to checked to lie truly inside the
// installation, so that the placing that follows needs no decision of its own.
#pragma once

#include <cstdint>
#include <string>

#include "package/FileIdentity.h"
#include "package/PackageDirectory.h"

// Where one entry goes, as a full wide path (without the "\\?\" form), so that the staged and kept
// aside names beside deep files fit.
struct PLANNED_ENTRY {
    std::wstring destination;
    std::uint32_t dwSize;
    char szName[ENTRY_NAME_SIZE];  // the entry name, as the package carries it
};

struct PACKAGE_PLAN {
    unsigned nCount;
    PLANNED_ENTRY entries[MAX_ENTRY_COUNT];
};

// Resolves every entry of `names` below `installFolder` (full, ending in a backslash). False when an
// entry cannot be placed: a path that cannot be resolved or leaves the installation, a missing folder,
// a folder where a file should go, a destination that is the package itself (`package`, compared as
// files, so that a hard link or another spelling is seen through), or a folder on the way below the
// installation that is a junction or symbolic link, or whose final path does not lie below the
// installation folder's own. *plan means nothing after false.
bool ResolvePackagePlan(const PACKAGE_NAMES& names,
                        const std::wstring& installFolder,
                        const zr::FILE_IDENTITY& package,
                        PACKAGE_PLAN* plan);

namespace zr {

// The final path of the folder at `folder` (full), as the file system resolves it, in "\\?\" form and
// ending in a backslash. False when it cannot be opened or the system cannot say.
bool FinalFolderPath(const std::wstring& folder, std::wstring* final);

// Whether `folder` (full, ending in a backslash, below `installFolder`) is a plain folder truly inside
// the installation: not itself a junction or symbolic link, and its final path below
// `installFinal` (the installation folder's own final path, from FinalFolderPath).
bool IsPlainFolderInside(const std::wstring& folder, const std::wstring& installFinal);

}  // namespace zr
