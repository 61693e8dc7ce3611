// The dots per inch a window is shown at, and the tool's 96-dpi design scaled to them. Windows 10
// (1607 on) tells each window its monitor's DPI; older systems have one DPI for all, the system's,
// which then serves.
#pragma once

#include <windows.h>

namespace zr {

// The DPI every pixel value of the design is given at.
inline constexpr UINT DESIGN_DPI = 96;

// The DPI of the screen as the system's device contexts have it (LOGPIXELSY).
UINT SystemDpi();
// The DPI of `window`'s monitor where the system tells it per window, the system DPI otherwise.
UINT WindowDpi(HWND window);
// `value`, designed at 96 dpi, at `dpi`: rounded half away from zero, as the dialog manager rounds
// dialog units (MulDiv).
int ScaleToDpi(int value, UINT dpi);
// A system metric (GetSystemMetrics' index) at `dpi`; where the system cannot say it per DPI, its
// value at the system DPI.
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace zr
