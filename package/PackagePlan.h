// The file system's part of judging a package: every named entry resolved to full paths before
// anything is written, so that the placing that follows needs no decision of its own.
#pragma once

#include <cstdint>
#include <string>

#include "package/InstallTransaction.h"
#include "package/PackageDirectory.h"

// Where one entry goes: full wide paths (so that the backups beside deep files fit), and whether the
// Working file is the destination itself.
struct PLANNED_ENTRY {
    zr::PLACEMENT placement;
    std::uint32_t dwSize;
    char szName[ENTRY_NAME_SIZE];  // the entry name, as the package carries it
};

struct PACKAGE_PLAN {
    unsigned nCount;
    PLANNED_ENTRY entries[MAX_ENTRY_COUNT];
};

// Resolves every entry of `names` against the file system and the current directory. False when an
// entry cannot be placed: a path that cannot be resolved, a missing folder, a folder where a file
// should go, or a Working file or destination that is the package at `packagePath`, or a Working file
// that is an installed file an earlier entry has just put in place. Paths are compared as files (their
// folders by volume and file index, then their names, or the files' own identities when the names
// differ), so that an 8.3 alias or a second drive letter is seen through. *plan means nothing after false.
bool ResolvePackagePlan(const PACKAGE_NAMES& names, const char* packagePath, PACKAGE_PLAN* plan);
