// Lead bytes of the system's ANSI code page, which is what the 8-bit file functions read names in.
#pragma once

#include <windows.h>

namespace zr {

inline bool IsAnsiLeadByte(unsigned char c) {
    return ::IsDBCSLeadByte(c) != FALSE;
}

}  // namespace zr
