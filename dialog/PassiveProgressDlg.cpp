#include "dialog/PassiveProgressDlg.h"

#include <commctrl.h>

#include <string>

#include "dialog/DialogTexts.h"
#include "framework/WaitCursor.h"
#include "framework/SystemLibrary.h"
#include "update/DisplayedVersion.h"
#include "res/resource.h"

namespace {
constexpr UINT_PTR CLOSING_TIMER = 1;
constexpr UINT CLOSING_DELAY_MS = 700;

}  // namespace

CPassiveProgressDlg::CPassiveProgressDlg(const zr::UPDATE_EVALUATION& evaluation, bool english, zr::CDeploymentLog* log)
    : CDialog(IDD_PASSIVE_PROGRESS), m_evaluation(evaluation), m_bEnglish(english), m_pLog(log) {}

bool CPassiveProgressDlg::LoadProgressBar() {
    // Loaded by its full path and kept for the process's life: the progress bar's class lives in it.
    const auto init = ZR_LIBRARY_FUNCTION(zr::LoadSystemLibrary(L"comctl32.dll"), InitCommonControlsEx);
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    return init && init(&classes);
}

BOOL CPassiveProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The close box is greyed: this window goes when the update has ended, not before.
    ::EnableMenuItem(::GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    // The template's texts are the Japanese ones; the labels read as the dialog's.
    if (m_bEnglish) {
        SetWindowText(TEXT_CAPTION_ENGLISH);
        GetDlgItem(IDC_PASSIVE_INSTALLED_LABEL).SetWindowText(TEXT_INSTALLED_LABEL_ENGLISH);
        GetDlgItem(IDC_PASSIVE_UPDATE_LABEL).SetWindowText(TEXT_UPDATE_LABEL_ENGLISH);
        GetDlgItem(IDC_PASSIVE_STATUS).SetWindowText(TEXT_PASSIVE_STATUS_ENGLISH);
    }
    GetDlgItem(IDC_PASSIVE_INSTALLED_VERSION)
        .SetWindowText(
            zr::MakeDisplayedVersion(m_evaluation.installedVersion, m_evaluation.nInstalledLanguage).c_str());
    GetDlgItem(IDC_PASSIVE_UPDATE_VERSION)
        .SetWindowText(
            zr::MakeDisplayedVersion(m_evaluation.package.szVersion, m_evaluation.package.nLanguage).c_str());
    GetDlgItem(IDC_PASSIVE_PROGRESS).SendMessage(PBM_SETRANGE32, 0, zr::PROGRESS_FULL);

    if (!m_worker.Start(m_evaluation, m_pLog, m_hWnd))
        EndDialog(IDABORT);
    return TRUE;
}

zr::E_INSTALL_OUTCOME CPassiveProgressDlg::Outcome() {
    m_worker.AwaitUnseenEnd("A quit message ended the window");
    return m_worker.Result().outcome;
}

void CPassiveProgressDlg::OnCancel() {
    // Nothing ends this window but the end of the update.
}

bool CPassiveProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_SETCURSOR:
            zr::ShowWaitCursor();
            result = TRUE;
            return true;
        case zr::WM_ZR_INSTALL_PROGRESS:
            GetDlgItem(IDC_PASSIVE_PROGRESS).SendMessage(PBM_SETPOS, wParam);
            m_taskbar.Show(m_hWnd, static_cast<unsigned>(wParam), zr::PROGRESS_FULL);
            return true;
        case WM_ENDSESSION:
            // The process may be ended as soon as this returns: the update is waited for here.
            if (wParam && m_worker.AwaitUnseenEnd("The session ends"))
                EndDialog(IDOK);
            return true;
        case zr::WM_ZR_INSTALL_ENDED:
            m_worker.Join();
            m_worker.EndShown();
            m_taskbar.Clear(m_hWnd);
            // A finished bar stays up a moment, so that the end is seen and not only guessed.
            if (m_worker.Result().outcome == zr::INSTALL_DONE)
                GetDlgItem(IDC_PASSIVE_PROGRESS).SendMessage(PBM_SETPOS, zr::PROGRESS_FULL);
            ::SetTimer(m_hWnd, CLOSING_TIMER, CLOSING_DELAY_MS, nullptr);
            return true;
        case WM_TIMER:
            if (wParam != CLOSING_TIMER)
                return false;
            ::KillTimer(m_hWnd, CLOSING_TIMER);
            EndDialog(IDOK);
            return true;
        default:
            return false;
    }
}
