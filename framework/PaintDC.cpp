#include "PaintDC.h"

#include "Wnd.h"

CPaintDC::CPaintDC(const CWnd& window) : m_ps(), m_hWnd(window.m_hWnd) {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
}
