// Installing a package all or nothing: the whole package is decoded, judged and named, and resolved
// on disk before the first file is written, and a failure on the way puts every file back.
#pragma once

#include "package/InstallOutcome.h"
#include "package/PackageHeader.h"

// Installs every entry of the package at `packagePath` (relative to the current directory) into
// `installFolder`, which ends in a backslash. True when all of them are in place; false leaves every
// file as it was. The package is opened once, sharing reading only, and only read: nothing is
// created, renamed or deleted outside the installation folder. An empty `installFolder` is refused.
bool InstallPackageFile(const char* packagePath, const char* installFolder);

// The same, saying what became of it. When `expected` is given, a package whose header differs from
// it is refused (the dialog shows one package and must install that one). `progress` may be null.
E_INSTALL_OUTCOME InstallUpdatePackage(const char* packagePath,
                                       const char* installFolder,
                                       const PACKAGE_HEADER* expected,
                                       CInstallProgress* progress);
