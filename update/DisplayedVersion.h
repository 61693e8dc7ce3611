// How a version and its language are shown, in the dialog and in /passive: 1.04(EN), or 1.04() for
// a code without a name.
#pragma once

#include <string>

namespace zr {

std::string MakeDisplayedVersion(const char* version, int code);

}  // namespace zr
