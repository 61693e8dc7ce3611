// Installing a package all or nothing: the whole package is decoded, judged and named, and resolved
// on disk before the first file is written, and a failure on the way puts every file back.
#pragma once

// Installs every entry of the package at `packagePath` (relative to the current directory, where the
// Working files go too) into `installFolder`, which ends in a backslash. True when all of them are
// in place; false leaves every file as it was. An empty `installFolder` is refused rather than
// writing beside the package.
bool InstallPackageFile(const char* packagePath, const char* installFolder);
