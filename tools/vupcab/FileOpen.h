// Opening files by a path of the file system, whatever its characters: through the wide interface on
// Windows, where the narrow one would read the name in the ANSI code page.
#pragma once

#include <cstdio>
#include <filesystem>

#include "framework/ScopedHandle.h"

namespace zr {

inline ScopedFile OpenFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ScopedFile(::_wfopen(path.c_str(), wideMode.c_str()));
#else
    return ScopedFile(std::fopen(path.c_str(), mode));
#endif
}

}  // namespace zr
