// The floor the installer is measured against: the fewest calls that still replace files safely.
#pragma once

#include <string>

namespace zr::bench {

// Places every payload of the package at `packagePath` into `installFolder` (ending in a backslash)
// by the bare safe steps, one file at a time: write a new file beside the destination and flush it,
// rename the installed file aside, rename the new one in; once all are in, delete the files kept
// aside. No record, no checks beyond the calls' results, no way back. False when a call fails.
bool PlaceBySafeSteps(const std::string& packagePath, const std::string& installFolder);

}  // namespace zr::bench
