// The package's header as the startup evaluation shows it: the version text and the Language code.
#pragma once

#include "package/PackageFormat.h"

struct PACKAGE_HEADER {
    char szVersion[VERSION_FIELD_SIZE + 1];  // always terminated, also when all 10 characters are used
    int nLanguage;                           // 0 to 15
};

// Reads the header of the package at `path`. Bytes the file lacks read as zero: a short file gives a
// shorter text and Language code 0. False, with *header untouched, when the file cannot be opened.
bool ReadPackageHeaderFile(const char* path, PACKAGE_HEADER* header);
