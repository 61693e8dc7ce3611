// The package's header: the version text and the Language code. The one decoder of those bytes, for
// the startup evaluation, the installer (which must install the package the dialog showed) and the
// package tool.
#pragma once

#include <cstddef>

#include "format/PackageFormat.h"

namespace zr {

struct PACKAGE_HEADER {
    char szVersion[VERSION_FIELD_SIZE + 1];  // always terminated, also when all 10 characters are used
    int nLanguage;                           // 0 to 15
};

// The header of a package whose first `size` bytes are `bytes`. Bytes the package lacks count as
// zero: a short package gives a shorter text and Language code 0.
PACKAGE_HEADER DecodePackageHeader(const unsigned char* bytes, std::size_t size);

bool operator==(const PACKAGE_HEADER& a, const PACKAGE_HEADER& b);

// Reads the header of the package at `path`. False, with *header untouched, when the file cannot be
// opened.
bool ReadPackageHeader(const char* path, PACKAGE_HEADER* header);

}  // namespace zr
