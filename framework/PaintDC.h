// The paint context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
#pragma once

#include <windows.h>

class CWnd;

class CPaintDC {
  public:
    explicit CPaintDC(const CWnd& window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    // At `width` x `height`, the size of the icon's image for the window's DPI.
    void DrawIcon(int x, int y, HICON icon, int width, int height) const {
        ::DrawIconEx(m_hDC, x, y, icon, width, height, 0, nullptr, DI_NORMAL);
    }

    HDC m_hDC;
    PAINTSTRUCT m_ps;

  private:
    HWND m_hWnd;
};
