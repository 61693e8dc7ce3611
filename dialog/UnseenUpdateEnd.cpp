// An update whose end the dialog's window cannot show: a quit message (a session ending, another
// program) ends the dialog's loop, or the session ends, while the update's thread still works. The
// dialog then goes only after the update has ended, and the exit code says what happened.
#include "dialog/ZR5048VersionUpDlg.h"

void CZR5048VersionUpDlg::OnEndSession(bool ending) {
    if (!ending || !m_bInstalling)
        return;
    // The process may be ended as soon as this returns: wait, and log, here.
    WaitForUnseenEnd("The session ends");
    EndDialog(IDCANCEL);
}

void CZR5048VersionUpDlg::WaitForUnseenEnd(const char* why) {
    const zr::E_INSTALL_OUTCOME outcome = m_worker.AwaitUnseenEnd(why);
    m_bInstalling = false;
    m_bWaitCursor = false;
    m_bEndedUnseen = true;
    m_bUpdated = outcome == zr::INSTALL_DONE;
}

bool CZR5048VersionUpDlg::UpdateEndedUnseen(zr::E_INSTALL_OUTCOME* outcome) {
    // Still installing once the window has gone: its loop ended before the outcome arrived.
    if (m_bInstalling)
        WaitForUnseenEnd("A quit message ended the dialog");
    if (!m_bEndedUnseen)
        return false;
    *outcome = m_worker.Result().outcome;
    return true;
}
