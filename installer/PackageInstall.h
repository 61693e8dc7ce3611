// Installing a package all or nothing: the whole package is judged and planned on disk before the
// first file is written (installer/PackagePlan.h), then placed through the recovery record
// (journal/InstallTransaction.h): every payload staged, read once and hashed in the same read for
// a signed package, the signature's verdict had, and only then the installed files swapped. A failure
// on the way puts every file back; a package whose signature fails leaves the installation untouched.
#pragma once

#include "format/PackageHeader.h"
#include "installer/InstallOutcome.h"

namespace zr {

// Installs every entry of the package at `packagePath` (relative to the current directory) into
// `installFolder` (ANSI, ending in a backslash). The package is opened once, sharing reading only,
// and only read: nothing is created, renamed or deleted outside the installation folder. When
// `expected` is given, a package whose header differs from it is refused (the dialog shows one
// package and must install that one). `progress` may be null.
INSTALL_RESULT InstallPackage(const char* packagePath,
                              const char* installFolder,
                              const PACKAGE_HEADER* expected,
                              CInstallProgress* progress);

}  // namespace zr
