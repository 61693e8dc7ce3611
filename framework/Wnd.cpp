#include "Wnd.h"

#include <algorithm>

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
