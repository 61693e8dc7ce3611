// The warning the dialog shows when files to be replaced are in use: the programs and the files,
// the first few of them and how many more, in the process's ANSI code page.
#pragma once

#include <string>

#include "installer/InstallOutcome.h"

// The files listed by name; the rest are counted.
inline constexpr unsigned IN_USE_FILES_LISTED = 5;

std::string FilesInUseMessage(const zr::FILES_IN_USE& inUse, bool english);
