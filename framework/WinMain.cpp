// Process entry: closes the DLL search to the start folder, then hands over to the framework, which
// runs the one global application object.
#include "DllSearch.h"
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    zr::RestrictDllSearchToSystem();
    return AfxWinMain();
}
