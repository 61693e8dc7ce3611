// The startup evaluation: the dialog's icons and language, then whether an update applies. The user
// learns the outcome from the two version displays and the state of Execute; no message is shown.
#include "dialog/ZR5048VersionUpDlg.h"

#include <mbstring.h>

#include "dialog/DialogTexts.h"
#include "res/resource.h"

BOOL CZR5048VersionUpDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_bEnglish = IsEnglishUI();
    if (m_bEnglish) {
        SetWindowText(TEXT_CAPTION_ENGLISH);
        GetDlgItem(IDC_INSTALLED_LABEL).SetWindowText(TEXT_INSTALLED_LABEL_ENGLISH);
        GetDlgItem(IDC_UPDATE_LABEL).SetWindowText(TEXT_UPDATE_LABEL_ENGLISH);
        m_btnExecute.SetWindowText(TEXT_EXECUTE_ENGLISH);
        GetDlgItem(IDCANCEL).SetWindowText(TEXT_EXIT_ENGLISH);
        SetEnglishLayout();
        SetEnglishFont();
    }

    m_btnExecute.EnableWindow(FALSE);

    try {
        ReadPackageHeader();
        m_ctlUpdateVersion.SetWindowText(MakeDisplayedVersion(m_strUpdateVersion, m_nPackageLanguage));

        if (!FindInstallation())
            throw ERR_NOT_INSTALLED;
        // An interrupted update is finished first, so that the version read next is the installation's
        // true one. One that cannot be finished now (a file in use, another copy installing, a record
        // not of our making) leaves no installation to update: never install over it.
        if (!FinishInterruptedUpdate())
            throw ERR_NOT_INSTALLED;
        if (!GetInstalledVersion())
            throw ERR_NOT_INSTALLED;
        const int installedLanguage = ReadInstalledLanguage();
        m_ctlInstalledVersion.SetWindowText(MakeDisplayedVersion(m_strInstalledVersion, installedLanguage));

        // As text, in the process's code page: 1.10 is lower than 1.9.
        if (_mbscmp(reinterpret_cast<const unsigned char*>(m_strInstalledVersion.GetString()),
                    reinterpret_cast<const unsigned char*>(m_strUpdateVersion.GetString())) >= 0)
            throw ERR_NOT_NEWER;
        if (m_nPackageLanguage != installedLanguage)
            throw ERR_LANGUAGE_MISMATCH;

        m_btnExecute.EnableWindow(TRUE);
    } catch (const E_ERROR_STATE& state) {
        if (state == ERR_NOT_INSTALLED)
            m_ctlInstalledVersion.SetWindowText(TEXT_NONE.In(m_bEnglish));
    }
    return TRUE;
}
