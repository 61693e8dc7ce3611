// The startup evaluation: what the dialog shows when it opens.
#include "dialog/ZR5048VersionUpDlg.h"

BOOL CZR5048VersionUpDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    m_btnExecute.EnableWindow(FALSE);
    ReadPackageHeader();
    m_ctlUpdateVersion.SetWindowText(MakeDisplayedVersion(m_strUpdateVersion, m_nPackageLanguage));
    return TRUE;
}
