#include "Font.h"

#include <cstdlib>
#include <cstring>

BOOL CFont::CreatePointFont(int pointSizeTenths, const char* faceName, UINT dpi) {
    LOGFONTA description = {};
    description.lfCharSet = DEFAULT_CHARSET;
    // Tenths of a point to pixels at `dpi`: a screen device context's logical units are its pixels.
    description.lfHeight = -std::abs(static_cast<int>(dpi) * pointSizeTenths / 720);
    std::strncpy(description.lfFaceName, faceName, LF_FACESIZE - 1);
    m_font.reset(::CreateFontIndirectA(&description));
    return m_font.IsValid();
}
