// A thin, non-owning wrapper over a window handle: a dialog's own, or one of its controls'.
#pragma once

#include <windows.h>

class CWnd {
  public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd() = default;

    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
    // The control of this dialog with the given id; wraps a null handle when there is none.
    CWnd GetDlgItem(int id) const { return CWnd(::GetDlgItem(m_hWnd, id)); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    // Centres the window in the work area of its monitor, kept inside that area.
    void CenterWindow() const;

    HWND m_hWnd = nullptr;
};
