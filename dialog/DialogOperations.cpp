// The dialog's operations: each wires the work done in package/ and install/ to the dialog's
// members, and does nothing else.
#include "dialog/ZR5048VersionUpDlg.h"

#include <cstring>

#include "dialog/DeploymentLog.h"
#include "install/FindInstallation.h"
#include "install/LanguageSettings.h"
#include "install/ProductRunning.h"
#include "install/ProductVersion.h"
#include "package/PackageFormat.h"
#include "package/PackageHeader.h"
#include "package/PackageInstall.h"
#include "package/Recovery.h"

void CZR5048VersionUpDlg::ReadPackageHeader() {
    PACKAGE_HEADER header;
    if (!ReadPackageHeaderFile(PACKAGE_FILE_NAME, &header))
        return;
    m_nPackageLanguage = header.nLanguage;
    m_strUpdateVersion = header.szVersion;
}

bool CZR5048VersionUpDlg::InstallPackage() {
    // The package the dialog shows is the one to install: a package replaced since is refused.
    PACKAGE_HEADER shown = {};
    std::strncpy(shown.szVersion, m_strUpdateVersion, VERSION_FIELD_SIZE);
    shown.nLanguage = m_nPackageLanguage;
    return InstallUpdatePackage(PACKAGE_FILE_NAME, m_szInstallFolder, &shown, nullptr) == INSTALL_DONE;
}

bool CZR5048VersionUpDlg::FinishInterruptedUpdate() {
    const zr::E_RECOVERY recovery = zr::RecoverInstallation(m_szInstallFolder);
    return recovery == zr::RECOVERY_NOTHING || recovery == zr::RECOVERY_DONE;
}

bool CZR5048VersionUpDlg::FindInstallation() {
    static_assert(sizeof m_szInstallFolder == INSTALL_PATH_SIZE && sizeof m_szExePath == INSTALL_PATH_SIZE &&
                      sizeof m_szLanguageIni == INSTALL_PATH_SIZE,
                  "the path members hold what the lookup makes");
    INSTALLATION_PATHS paths;
    if (!LookUpInstallation(&paths))
        return false;
    std::strcpy(m_szInstallFolder, paths.szInstallFolder);
    std::strcpy(m_szExePath, paths.szExePath);
    std::strcpy(m_szLanguageIni, paths.szLanguageIni);
    return true;
}

bool CZR5048VersionUpDlg::GetInstalledVersion() {
    CProductVersion reader;
    return reader.GetProductVersion(m_szExePath, m_strInstalledVersion);
}

bool CZR5048VersionUpDlg::IsEnglishUI() {
    return IsUserLanguageEnglish();
}

int CZR5048VersionUpDlg::ReadInstalledLanguage() {
    static_assert(sizeof m_szWork == LANGUAGE_VALUE_SIZE, "the work buffer receives the Language.ini value");
    return ReadLanguageCode(m_szLanguageIni, m_szWork);
}

const char* CZR5048VersionUpDlg::GetLanguageName(const int& code) const {
    return LanguageName(code);
}

bool CZR5048VersionUpDlg::IsProductRunning() {
    return IsProductWindowPresent();
}

void CZR5048VersionUpDlg::LogEvaluation() {
    if (m_pLog)
        zr::LogEvaluation(*m_pLog, m_evaluation);
}
