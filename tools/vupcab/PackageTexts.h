// What mkvupcab says about a refused name or directory, in one place for every command.
#pragma once

#include "package/PackageDirectory.h"

namespace zr {

const char* NameFaultText(E_NAME_FAULT fault);
const char* PackageFaultText(E_PACKAGE_FAULT fault);

}  // namespace zr
