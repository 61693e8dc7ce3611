#include "format/PackageHeader.h"

#include <cstdio>
#include <cstring>

#include "framework/ScopedHandle.h"

namespace zr {

PACKAGE_HEADER DecodePackageHeader(const unsigned char* bytes, std::size_t size) {
    PACKAGE_HEADER header = {};
    std::memcpy(header.szVersion, bytes, size < VERSION_FIELD_SIZE ? size : VERSION_FIELD_SIZE);
    header.nLanguage = size > LANGUAGE_BYTE_OFFSET ? (bytes[LANGUAGE_BYTE_OFFSET] & LANGUAGE_CODE_MASK) : 0;
    return header;
}

bool operator==(const PACKAGE_HEADER& a, const PACKAGE_HEADER& b) {
    return std::strcmp(a.szVersion, b.szVersion) == 0 && a.nLanguage == b.nLanguage;
}

bool ReadPackageHeader(const char* path, PACKAGE_HEADER* header) {
    ScopedFile package(std::fopen(path, "rb"));
    if (!package)
        return false;
    unsigned char bytes[LANGUAGE_BYTE_OFFSET + 1] = {};
    const std::size_t read = std::fread(bytes, 1, sizeof bytes, package.get());
    *header = DecodePackageHeader(bytes, read);
    return true;
}

}  // namespace zr
