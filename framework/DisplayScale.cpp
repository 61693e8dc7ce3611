#include "DisplayScale.h"

#include "ScopedHandle.h"
#include "SystemLibrary.h"

namespace zr {

UINT SystemDpi() {
    const ScopedWindowDC screen(nullptr);
    const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : DESIGN_DPI;
}

UINT WindowDpi(HWND window) {
    static const auto dpiForWindow = ZR_LIBRARY_FUNCTION(::GetModuleHandleA("user32.dll"), GetDpiForWindow);
    const UINT dpi = dpiForWindow ? dpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int ScaleToDpi(int value, UINT dpi) {
    return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(DESIGN_DPI));
}

int SystemMetricForDpi(int index, UINT dpi) {
    static const auto metricForDpi = ZR_LIBRARY_FUNCTION(::GetModuleHandleA("user32.dll"), GetSystemMetricsForDpi);
    return metricForDpi ? metricForDpi(index, dpi) : ::GetSystemMetrics(index);
}

}  // namespace zr
