#include "app/ZR5048VersionUpApp.h"

#include "dialog/ZR5048VersionUpDlg.h"

CZR5048VersionUpApp theApp;

BOOL CZR5048VersionUpApp::InitInstance() {
    Enable3dControlsStatic();

    CZR5048VersionUpDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();

    // The dialog has ended: return false so that no message loop of the framework's is entered.
    return FALSE;
}
