// What stands at an entry's destination in an installation folder and on the way to it, gathered
// for `mkvupcab check` with the file system's own calls (lstat natively, file attributes on Windows);
// format/DestinationRule.h judges them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "format/DestinationRule.h"

namespace zr {

// A file's identity on its volume, to see that a destination is the package itself.
struct FILE_ID {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool known = false;
};
FILE_ID FileIdOf(const std::filesystem::path& path);

// `relative` is the entry's path below `installFolder` on this file system (see FromPackageName).
DESTINATION_FACTS GatherDestinationFacts(const std::filesystem::path& installFolder,
                                         const std::filesystem::path& relative,
                                         const FILE_ID& package);

}  // namespace zr
