#include "Wnd.h"

#include <algorithm>

void CWnd::SetWindowText(const char* text) const {
    ::SetWindowTextA(m_hWnd, text);
}

CWnd CWnd::GetDlgItem(int id) const {
    return CWnd(::GetDlgItem(m_hWnd, id));
}

BOOL CWnd::EnableWindow(BOOL enable) const {
    return ::EnableWindow(m_hWnd, enable);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) const {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const {
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::CenterWindow() const {
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;

    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    // Kept inside the work area, its top-left corner winning when it is too large.
    const int x = std::max(area.left, std::min((area.left + area.right) / 2 - width / 2, area.right - width));
    const int y = std::max(area.top, std::min((area.top + area.bottom) / 2 - height / 2, area.bottom - height));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
