#include "Font.h"

#include "DisplayScale.h"

#include <cstdlib>
#include <cstring>

BOOL CFont::CreatePointFont(int pointSizeTenths, const char* faceName) {
    return CreatePointFont(pointSizeTenths, faceName, zr::SystemDpi());
}

BOOL CFont::CreatePointFont(int pointSizeTenths, const char* faceName, UINT dpi) {
    LOGFONTA description = {};
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfHeight = pointSizeTenths;
    std::strncpy(description.lfFaceName, faceName, LF_FACESIZE - 1);

    // Tenths of a point to device pixels at `dpi`, then to the screen's logical units.
    const zr::ScopedWindowDC screen(nullptr);
    POINT size = {0, static_cast<int>(dpi) * description.lfHeight / 720};
    POINT origin = {0, 0};
    ::DPtoLP(screen.get(), &size, 1);
    ::DPtoLP(screen.get(), &origin, 1);
    description.lfHeight = -std::abs(size.y - origin.y);

    m_font.reset(::CreateFontIndirectA(&description));
    return m_font.IsValid();
}
