// The dialog with its state opened to the tests, so that its operations can be checked through the
// members they fill, on a dialog object that has no window.
#pragma once

#include "dialog/ZR5048VersionUpDlg.h"

namespace zr::test {

class DialogUnderTest : public CZR5048VersionUpDlg {
  public:
    using CZR5048VersionUpDlg::m_bEnglish;
    using CZR5048VersionUpDlg::m_hIcon;
    using CZR5048VersionUpDlg::m_nPackageLanguage;
    using CZR5048VersionUpDlg::m_strInstalledVersion;
    using CZR5048VersionUpDlg::m_strUpdateVersion;
    using CZR5048VersionUpDlg::m_szExePath;
    using CZR5048VersionUpDlg::m_szInstallFolder;
    using CZR5048VersionUpDlg::m_szLanguageIni;
    using CZR5048VersionUpDlg::m_szWork;
};

}  // namespace zr::test
