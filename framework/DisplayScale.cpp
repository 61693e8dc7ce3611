#include "DisplayScale.h"

#include "SystemLibrary.h"

namespace zr {

UINT SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : DESIGN_DPI;
}

UINT WindowDpi(HWND window) {
    static const auto dpiForWindow = ZR_USER_FUNCTION(GetDpiForWindow);
    const UINT dpi = dpiForWindow ? dpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int ScaleToDpi(int value, UINT dpi) {
    return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(DESIGN_DPI));
}

int SystemMetricForDpi(int index, UINT dpi) {
    static const auto metricForDpi = ZR_USER_FUNCTION(GetSystemMetricsForDpi);
    return metricForDpi ? metricForDpi(index, dpi) : ::GetSystemMetrics(index);
}

}  // namespace zr
