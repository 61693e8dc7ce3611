// An update whose end the dialog's window cannot show: a quit message (a session ending, another
// program) ends the dialog's loop, or the session ends, while the update's thread still works. The
// dialog then goes only after the update has ended (dialog/InstallWorker.h), and the exit code says
// what happened.
#include "dialog/ZR5048VersionUpDlg.h"

void CZR5048VersionUpDlg::OnEndSession(bool ending) {
    // The process may be ended as soon as this returns: wait, and log, here.
    if (ending && m_worker.AwaitUnseenEnd("The session ends")) {
        m_bWaitCursor = false;
        EndDialog(IDCANCEL);
    }
}

bool CZR5048VersionUpDlg::UpdateEndedUnseen(zr::E_INSTALL_OUTCOME* outcome) {
    // Still installing once the window has gone: its loop ended before the outcome arrived.
    m_worker.AwaitUnseenEnd("A quit message ended the dialog");
    if (!m_worker.EndedUnseen())
        return false;
    *outcome = m_worker.Result().outcome;
    m_bUpdated = *outcome == zr::INSTALL_DONE;
    return true;
}
