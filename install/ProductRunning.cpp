// Whether the product is running: it keeps a property on one of its top-level windows while it runs.
#include "dialog/ZR5048VersionUpDlg.h"
#include "install/InstalledProduct.h"

bool CZR5048VersionUpDlg::IsProductRunning() {
    // Every top-level window of the desktop, hidden ones too, from the top of the Z order down.
    for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window != nullptr;
         window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (::GetPropA(window, PRODUCT_WINDOW_PROP) != nullptr)
            return true;
    }
    return false;
}
