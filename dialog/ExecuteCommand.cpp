// The Execute command: the only place where the tool changes anything on disk.
#include "dialog/ZR5048VersionUpDlg.h"

#include <exception>

#include "dialog/DialogTexts.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"

void CZR5048VersionUpDlg::OnExecute() {
    // Asked at every click: the product may have been started or ended since the dialog opened.
    if (IsProductRunning()) {
        AfxMessageBox(MSG_PRODUCT_RUNNING.In(m_bEnglish), MB_OK | MB_ICONEXCLAMATION, 0);
        return;
    }
    if (AfxMessageBox(MSG_CONFIRM_UPDATE.In(m_bEnglish), MB_YESNO | MB_ICONQUESTION, 0) != IDYES)
        return;

    bool installed = false;
    {
        // The cursor comes back on every way out of the installation.
        CWaitCursor wait;
        try {
            installed = InstallPackage();
        } catch (const std::exception&) {
            // Out of memory or the like: nothing to do but report the failure like any other.
            installed = false;
        }
    }
    if (!installed) {
        AfxMessageBox(MSG_UPDATE_FAILED.In(m_bEnglish), MB_OK | MB_ICONSTOP, 0);
        return;
    }

    AfxMessageBox(MSG_UPDATE_SUCCEEDED.In(m_bEnglish), MB_OK | MB_ICONINFORMATION, 0);
    m_ctlInstalledVersion.SetWindowText(MakeDisplayedVersion(m_strUpdateVersion, m_nPackageLanguage));
    m_btnExecute.EnableWindow(FALSE);
}
