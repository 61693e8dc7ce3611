// The dialog's operations: each wires the work done in package/ and install/ to the dialog's
// members, and does nothing else.
#include "dialog/ZR5048VersionUpDlg.h"

#include "package/PackageFormat.h"
#include "package/PackageHeader.h"
#include "package/PackageInstall.h"

void CZR5048VersionUpDlg::ReadPackageHeader() {
    PACKAGE_HEADER header;
    if (!ReadPackageHeaderFile(PACKAGE_FILE_NAME, &header))
        return;
    m_nPackageLanguage = header.nLanguage;
    m_strUpdateVersion = header.szVersion;
}

bool CZR5048VersionUpDlg::InstallPackage() {
    return InstallPackageFile(PACKAGE_FILE_NAME, m_szInstallFolder);
}
