#include "product/ProductRunning.h"

#include <windows.h>

#include "product/InstalledProduct.h"

namespace zr {

bool IsProductRunning() {
    // From the top of the Z order down.
    for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window != nullptr;
         window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (::GetPropA(window, PRODUCT_WINDOW_PROP) != nullptr)
            return true;
    }
    return false;
}

}  // namespace zr
