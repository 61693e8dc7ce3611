// Reads the installed product's version from its executable's version resource.
#pragma once

#include "framework/AfxString.h"

namespace zr {

// Turns the ProductVersion of `path` into a Version text, major "." minor with a one-digit minor part
// padded (1.4.0.0 gives 1.04), and assigns it to `version`. False, with `version` untouched, when the
// file has no ProductVersion in its Japanese string table, the text has no dot, or the Version text
// would be longer than 9 characters.
bool GetInstalledVersion(const char* path, CString& version);

}  // namespace zr
