// A thin, non-owning wrapper over a window handle, and the two control wrappers the dialog attaches.
#pragma once

#include <windows.h>

class CWnd {
  public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd() = default;

    void SetWindowText(const char* text) const;
    // The control of this dialog with the given id; wraps a null handle when there is none.
    CWnd GetDlgItem(int id) const;
    BOOL EnableWindow(BOOL enable = TRUE) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    // Centres the window in the work area of its monitor, kept inside that area.
    void CenterWindow() const;

    HWND m_hWnd = nullptr;
};

class CStatic : public CWnd {};

class CButton : public CWnd {};
