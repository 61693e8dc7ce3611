// The last two stages of an installation, free of the dialog: resolving each entry's Working file
// and destination on disk (full paths, and which paths name one file), then placing every entry
// through the recovery record.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "package/InstallTransaction.h"

namespace zr {

// Full paths of a Working file and a Destination path (ANSI, as the package and the installation
// folder give them) in `placement`. False when a path cannot be resolved, its folder does not exist,
// or a folder stands where the file should go.
bool ResolvePlacement(const char* working, const char* destination, PLACEMENT* placement);

// Judges the resolved entries as files, not as path texts, so that an 8.3 alias or a second drive
// letter is seen through: no Working file or destination may be the package, no Working file an
// earlier entry's destination (it would be overwritten after being installed). Sets each entry's
// bInPlace when its Working file is its own destination. False when the package must be refused.
bool JudgePlacements(std::vector<PLACEMENT>* placements, const std::wstring& package);

// Places every entry, reading the payloads in order from `package` (positioned at the first one,
// `sizes[i]` bytes each) through `buffer`. All or nothing: on failure everything is put back; what
// cannot be put back stays in the recovery record for the next start. False also when another run's
// record is present in `installFolder` (full, ending in a backslash).
bool PlaceEntries(const std::vector<PLACEMENT>& placements,
                  const std::uint32_t* sizes,
                  std::FILE* package,
                  const std::wstring& installFolder,
                  char* buffer,
                  std::size_t bufferSize);

// The working directory and an installation folder text as the full folder paths the record names.
bool CurrentWorkingFolder(std::wstring* folder);
bool FullInstallFolder(const char* installFolder, std::wstring* folder);

}  // namespace zr
