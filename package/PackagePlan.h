// The file system's part of judging a package: every named entry resolved to full paths before
// anything is written, so that the placing that follows needs no decision of its own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "package/PackageDirectory.h"

// Where one entry goes, as full paths.
struct PLANNED_ENTRY {
    char szWorking[MAX_PATH];
    char szDestination[MAX_PATH];
    char szDestinationKey[MAX_PATH];  // upper-cased, to compare with other paths
    bool bInPlace;  // the Working file is the destination itself (the tool runs inside the installation)
    std::uint32_t dwSize;
};

struct PACKAGE_PLAN {
    unsigned nCount;
    PLANNED_ENTRY entries[MAX_ENTRY_COUNT];
};

// Resolves every entry of `names` against the file system and the current directory. False when an
// entry cannot be placed: a path that does not fit, a missing folder, a folder or device where a
// file should go, or a Working file that is the package at `packagePath` or an installed file an
// earlier entry has just put in place. *plan means nothing after false.
bool ResolvePackagePlan(const PACKAGE_NAMES& names, const char* packagePath, PACKAGE_PLAN* plan);
