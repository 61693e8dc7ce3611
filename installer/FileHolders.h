// Which programs hold files open, as the system's Restart Manager tells (rstrtmgr.dll, reached at run
// time by its full system path). Only asked, never told to close anything: the tool names the
// programs and leaves them alone.
#pragma once

#include <string>
#include <vector>

#include "installer/InstallOutcome.h"

namespace zr {

// The applications the Restart Manager lists as using any of `files` (full paths), each once. Empty
// where it lists none, fails or is missing: the caller then names the files alone.
std::vector<FILE_HOLDER> FindFileHolders(const std::vector<std::wstring>& files);

}  // namespace zr
