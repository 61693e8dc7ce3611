#include "Font.h"

#include <cstdlib>
#include <cstring>

BOOL CFont::CreatePointFont(int pointSizeTenths, const char* faceName) {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return CreatePointFont(pointSizeTenths, faceName, static_cast<UINT>(dpi));
}

BOOL CFont::CreatePointFont(int pointSizeTenths, const char* faceName, UINT dpi) {
    LOGFONTA description = {};
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfHeight = pointSizeTenths;
    std::strncpy(description.lfFaceName, faceName, LF_FACESIZE - 1);

    // Tenths of a point to device pixels at `dpi`, then to the screen's logical units.
    HDC screen = ::GetDC(nullptr);
    POINT size = {0, static_cast<int>(dpi) * description.lfHeight / 720};
    POINT origin = {0, 0};
    ::DPtoLP(screen, &size, 1);
    ::DPtoLP(screen, &origin, 1);
    description.lfHeight = -std::abs(size.y - origin.y);
    ::ReleaseDC(nullptr, screen);

    m_font.reset(::CreateFontIndirectA(&description));
    return m_font.IsValid();
}
