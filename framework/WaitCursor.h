// The system's wait cursor, set at once: the dialogs show it over their whole window while an update
// runs (they answer WM_SETCURSOR with it), so it is never nested or remembered.
#pragma once

#include <windows.h>

namespace zr {

inline void ShowWaitCursor() {
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514) /* IDC_WAIT */));
}

}  // namespace zr
