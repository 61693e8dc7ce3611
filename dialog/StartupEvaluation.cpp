// The startup evaluation: the dialog's icons and language, then whether an update applies. The user
// learns the outcome from the two version displays and the state of Execute; no message is shown.
#include "dialog/ZR5048VersionUpDlg.h"

#include "dialog/DialogTexts.h"
#include "product/LanguageSettings.h"
#include "update/DeploymentLog.h"
#include "update/DisplayedVersion.h"
#include "format/PackageFormat.h"
#include "res/resource.h"

BOOL CZR5048VersionUpDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    m_nDpi = zr::WindowDpi(m_hWnd);
    SetIconsForDpi(m_nDpi);

    m_bEnglish = zr::IsEnglishUI();
    if (m_bEnglish) {
        SetWindowText(TEXT_CAPTION_ENGLISH);
        GetDlgItem(IDC_INSTALLED_LABEL).SetWindowText(TEXT_INSTALLED_LABEL_ENGLISH);
        GetDlgItem(IDC_UPDATE_LABEL).SetWindowText(TEXT_UPDATE_LABEL_ENGLISH);
        m_btnExecute.SetWindowText(TEXT_EXECUTE_ENGLISH);
        GetDlgItem(IDCANCEL).SetWindowText(TEXT_EXIT_ENGLISH);
        SetEnglishLayout(m_nDpi);
    }

    m_btnExecute.EnableWindow(FALSE);

    // The decisions are made once, in the order the displays are filled; the dialog only shows them.
    const zr::UPDATE_EVALUATION& e = m_evaluation;
    zr::EvaluateUpdate(zr::PACKAGE_FILE_NAME, &m_evaluation);
    // Without a package, empty parentheses: no language is named.
    m_ctlUpdateVersion.SetWindowText(
        e.bPackageRead ? zr::MakeDisplayedVersion(e.package.szVersion, e.package.nLanguage).c_str() : "()");
    if (m_pLog)
        zr::LogEvaluation(*m_pLog, e);

    if (!zr::VerdictRow(e.verdict).bInstallationShown) {
        m_ctlInstalledVersion.SetWindowText(TEXT_NONE.In(m_bEnglish));
    } else {
        m_ctlInstalledVersion.SetWindowText(zr::MakeDisplayedVersion(e.installedVersion, e.nInstalledLanguage).c_str());
        m_btnExecute.EnableWindow(e.verdict == zr::UPDATE_APPLIES);
    }
    return TRUE;
}
