#include "Dialog.h"

#include "WinApp.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control) {
    if (control.m_hWnd == nullptr)
        control.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_hWndParent(pParentWnd ? pParentWnd->m_hWnd : nullptr) {}

CDialog::~CDialog() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

INT_PTR CDialog::DoModal() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const INT_PTR result = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(m_nIDTemplate), m_hWndParent, &DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData();
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData())
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

BOOL CDialog::UpdateData() {
    CDataExchange exchange(this);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    // Messages that arrive before WM_INITDIALOG (WM_SETFONT, WM_NCCREATE ...) get default processing.
    return dialog ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return HandleInitDialog();

    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) {
        if (message != WM_COMMAND)
            return FALSE;
        switch (LOWORD(wParam)) {
            case IDOK:
                OnOK();
                return TRUE;
            case IDCANCEL:
                OnCancel();
                return TRUE;
            default:
                return FALSE;
        }
    }
    // Of the messages whose result a dialog procedure returns directly (WM_CTLCOLOR*, WM_COMPAREITEM,
    // ...), the dialogs handle WM_QUERYDRAGICON alone; every other result goes through DWLP_MSGRESULT.
    if (message == WM_QUERYDRAGICON)
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

bool CDialog::HandleInitDialog() {
    RECT before;
    ::GetWindowRect(m_hWnd, &before);
    const BOOL setFocus = OnInitDialog();
    CenterUnlessPlaced(before);
    return setFocus != FALSE;
}

// A modal dialog whose template leaves its place to the system is centred on the work area,
// unless its initialisation has already moved it.
void CDialog::CenterUnlessPlaced(const RECT& before) {
    const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    if (style & (WS_VISIBLE | WS_CHILD | DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE))
        return;
    RECT after;
    ::GetWindowRect(m_hWnd, &after);
    if (after.left != before.left || after.top != before.top)
        return;
    CenterWindow();
}
