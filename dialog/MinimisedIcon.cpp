// The dialog's picture while minimised: the system logo icon (also its drag icon, see OnMessage).
#include "dialog/ZR5048VersionUpDlg.h"

#include "framework/DisplayScale.h"
#include "framework/PaintDC.h"

// Called for WM_PAINT while minimised only: otherwise the dialog manager paints the dialog.
void CZR5048VersionUpDlg::OnPaint() {
    CPaintDC dc(*this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    const int cxIcon = zr::SystemMetricForDpi(SM_CXICON, m_nDpi);
    const int cyIcon = zr::SystemMetricForDpi(SM_CYICON, m_nDpi);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - cxIcon + 1) / 2;
    const int y = (client.bottom - client.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon, cxIcon, cyIcon);
}
