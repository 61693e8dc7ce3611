// Which registry view the process sees: a 32-bit process on 64-bit Windows (WOW64) is redirected to
// the 32-bit view of HKLM\SOFTWARE unless it asks for the 64-bit one.
#pragma once

namespace zr {

// True when this is a 32-bit process on 64-bit Windows. False on 32-bit Windows, in a 64-bit process,
// and where the system has no IsWow64Process (it is resolved at run time, so the tool still starts).
bool IsWow64();

}  // namespace zr
