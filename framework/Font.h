// A font object that owns one GDI font handle and deletes it when destroyed.
#pragma once

#include "ScopedHandle.h"

class CFont {
  public:
    // Creates a font of `pointSizeTenths` tenths of a point for a window shown at `dpi` dots per inch;
    // false when no font was made.
    BOOL CreatePointFont(int pointSizeTenths, const char* faceName, UINT dpi);
    HFONT GetSafeHandle() const { return m_font.get(); }

  private:
    zr::ScopedFont m_font;
};
