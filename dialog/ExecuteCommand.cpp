// The Execute command: the only place where the tool changes anything on disk. The update runs on a
// thread of its own, so the dialog keeps answering; its outcome comes back as a posted message.
#include "dialog/ZR5048VersionUpDlg.h"

#include "dialog/DialogTexts.h"
#include "dialog/FilesInUseMessage.h"
#include "framework/WaitCursor.h"
#include "update/DisplayedVersion.h"
#include "framework/FreshMessageBox.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

void CZR5048VersionUpDlg::OnExecute() {
    if (zr::RefusedWhileProductRuns(m_pLog)) {
        AfxMessageBox(MSG_PRODUCT_RUNNING.In(m_bEnglish), MB_OK | MB_ICONEXCLAMATION, 0);
        return;
    }
    if (AfxMessageBox(MSG_CONFIRM_UPDATE.In(m_bEnglish), MB_YESNO | MB_ICONQUESTION, 0) != IDYES) {
        if (m_pLog)
            m_pLog->Line("The user answered No");
        return;
    }

    StartUpdate();
}

void CZR5048VersionUpDlg::StartUpdate() {
    // Nothing may end the dialog or start a second update until this one has ended.
    m_bWaitCursor = true;
    m_btnExecute.EnableWindow(FALSE);
    GetDlgItem(IDCANCEL).EnableWindow(FALSE);
    zr::ShowWaitCursor();
    // The package the dialog shows is the one to install: a package replaced since is refused.
    if (!m_worker.Start(m_evaluation, m_pLog, m_hWnd))
        OnInstallEnded(m_worker.Result());
}

void CZR5048VersionUpDlg::OnInstallEnded(const zr::INSTALL_RESULT& result) {
    m_worker.Join();
    m_taskbar.Clear(m_hWnd);
    m_bWaitCursor = false;
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));

    // The dialog stays as it was during the update until the user has read how it ended: nothing may
    // close it in between, nor keys typed while waiting answer the message unread.
    const BilingualText& message = zr::OutcomeRow(result.outcome).message;
    if (result.outcome == zr::INSTALL_FILES_IN_USE) {
        // Nothing changed: the user may close the program and take the files again, or leave it.
        const std::string warning = FilesInUseMessage(result.inUse, m_bEnglish);
        if (AfxFreshMessageBox(warning.c_str(), MB_RETRYCANCEL | MB_ICONEXCLAMATION, 0) == IDRETRY) {
            if (m_pLog)
                m_pLog->Line("The user answered Retry");
            StartUpdate();
            return;
        }
        if (m_pLog)
            m_pLog->Line("The user answered Cancel");
        m_btnExecute.EnableWindow(TRUE);
    } else if (result.outcome == zr::INSTALL_DONE) {
        m_bUpdated = true;
        AfxFreshMessageBox(message.In(m_bEnglish), MB_OK | MB_ICONINFORMATION, 0);
        m_ctlInstalledVersion.SetWindowText(
            zr::MakeDisplayedVersion(m_evaluation.package.szVersion, m_evaluation.package.nLanguage).c_str());
    } else {
        AfxFreshMessageBox(message.In(m_bEnglish), MB_OK | MB_ICONSTOP, 0);
        // The user may try again.
        m_btnExecute.EnableWindow(TRUE);
    }
    GetDlgItem(IDCANCEL).EnableWindow(TRUE);
    m_worker.EndShown();
}
