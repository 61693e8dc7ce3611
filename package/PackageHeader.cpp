#include "package/PackageHeader.h"

#include <cstdio>
#include <cstring>

#include "framework/ScopedHandle.h"

bool ReadPackageHeaderFile(const char* path, PACKAGE_HEADER* header) {
    zr::ScopedFile package(std::fopen(path, "rb"));
    if (!package)
        return false;

    char version[VERSION_FIELD_SIZE + 1] = {};
    unsigned char language = 0;
    std::fread(version, 1, VERSION_FIELD_SIZE, package.get());
    std::fread(&language, 1, 1, package.get());

    std::memcpy(header->szVersion, version, sizeof version);
    header->nLanguage = language & LANGUAGE_CODE_MASK;
    return true;
}
