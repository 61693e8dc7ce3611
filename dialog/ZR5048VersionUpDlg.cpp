// Construction, control attachment and message dispatch of the dialog.
#include "dialog/ZR5048VersionUpDlg.h"

#include "framework/WaitCursor.h"
#include "res/resource.h"

CZR5048VersionUpDlg::CZR5048VersionUpDlg() : CDialog(IDD_ZR5048VERSIONUP_DIALOG) {}

void CZR5048VersionUpDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_UPDATE_VERSION, m_ctlUpdateVersion);
    DDX_Control(pDX, IDC_EXECUTE, m_btnExecute);
    DDX_Control(pDX, IDC_INSTALLED_VERSION, m_ctlInstalledVersion);
}

void CZR5048VersionUpDlg::OnCancel() {
    if (m_worker.Busy())
        return;
    CDialog::OnCancel();
}

void CZR5048VersionUpDlg::OnOK() {
    if (m_worker.Busy())
        return;
    CDialog::OnOK();
}

bool CZR5048VersionUpDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_GETDPISCALEDSIZE:
            // Asked before WM_DPICHANGED: the English window's size at the new DPI is its own, not the
            // template's, which the dialog manager would answer. The Japanese look is the template's.
            if (!m_bEnglish)
                return false;
            *reinterpret_cast<SIZE*>(lParam) = EnglishSize(static_cast<UINT>(wParam));
            result = TRUE;
            return true;
        case WM_SETCURSOR:
            // The wait cursor over the whole dialog while the update runs; otherwise the usual one.
            if (!m_bWaitCursor)
                return false;
            zr::ShowWaitCursor();
            result = TRUE;
            return true;
        case zr::WM_ZR_INSTALL_PROGRESS:
            m_taskbar.Show(m_hWnd, static_cast<unsigned>(wParam), zr::PROGRESS_FULL);
            return true;
        case zr::WM_ZR_INSTALL_ENDED:
            OnInstallEnded(*reinterpret_cast<const zr::INSTALL_RESULT*>(lParam));
            return true;
        case WM_ENDSESSION:
            OnEndSession(wParam != FALSE);
            return true;
        case WM_PAINT:
            // Only the minimised dialog draws itself; otherwise the dialog manager paints it.
            if (!IsIconic())
                return false;
            OnPaint();
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(m_hIcon);
            return true;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_EXECUTE && HIWORD(wParam) == BN_CLICKED) {
                OnExecute();
                return true;
            }
            return false;
        default:
            return false;
    }
}
