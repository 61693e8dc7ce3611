// Reads the package's version text and Language code for the startup evaluation.
#include "dialog/ZR5048VersionUpDlg.h"

#include <cstdio>

#include "framework/ScopedHandle.h"
#include "package/PackageFormat.h"

void CZR5048VersionUpDlg::ReadPackageHeader() {
    zr::ScopedFile package(std::fopen(PACKAGE_FILE_NAME, "rb"));
    if (!package)
        return;
    std::fseek(package.get(), 0, SEEK_SET);

    // Bytes the file lacks read as zero: a short file gives a shorter text and Language code 0. The
    // extra byte keeps a full 10-character field terminated.
    char version[VERSION_FIELD_SIZE + 1] = {};
    unsigned char language = 0;
    std::fread(version, 1, VERSION_FIELD_SIZE, package.get());
    std::fread(&language, 1, 1, package.get());
    package.reset();

    m_nPackageLanguage = language & LANGUAGE_CODE_MASK;
    m_strUpdateVersion = version;
}
