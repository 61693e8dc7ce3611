// The dialog at the DPI of the monitor it is on: its icons at the system's size for that DPI, and
// its look laid out again when it moves to a monitor of another DPI.
#include "dialog/ZR5048VersionUpDlg.h"

#include <utility>

void CZR5048VersionUpDlg::SetIconsForDpi(UINT dpi) {
    // The shared logo has the size of the system DPI; at another DPI the logo's icon group gives its
    // best image for the size there, instead of the window manager stretching the shared one.
    HICON logo = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32517) /* IDI_WINLOGO */);
    const int width = zr::SystemMetricForDpi(SM_CXICON, dpi);
    const int height = zr::SystemMetricForDpi(SM_CYICON, dpi);
    zr::ScopedIcon sized;
    if (width != ::GetSystemMetrics(SM_CXICON) || height != ::GetSystemMetrics(SM_CYICON))
        sized.reset(static_cast<HICON>(::CopyImage(logo, IMAGE_ICON, width, height, LR_COPYFROMRESOURCE)));
    m_hIcon = sized ? sized.get() : logo;
    // One icon for both, as at 96 dpi: the caption's small one is drawn from it.
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // The window holds the new icon now; the copy it held before may go.
    m_iconForDpi = std::move(sized);
}

void CZR5048VersionUpDlg::OnDpiChanged(UINT dpi, const RECT& suggested) {
    // Only the look changes: the evaluation, the texts and the state of Execute stay as they are.
    m_nDpi = dpi;
    if (m_bEnglish) {
        TakeSuggestedRect(suggested);
        LayOutEnglishControls(dpi);
    } else {
        CDialog::OnDpiChanged(dpi, suggested);
    }
    SetIconsForDpi(dpi);
    if (IsIconic())
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}
