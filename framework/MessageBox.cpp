#include "MessageBox.h"

#include "WinApp.h"
#include "Wnd.h"

int AfxMessageBox(const char* text, UINT type, UINT /*helpId: the tool has no help*/) {
    CWinApp* app = AfxGetApp();
    HWND owner = (app && app->m_pMainWnd) ? app->m_pMainWnd->m_hWnd : nullptr;
    const char* caption = app ? app->GetAppTitle() : nullptr;
    return ::MessageBoxA(owner, text, caption, type);
}
