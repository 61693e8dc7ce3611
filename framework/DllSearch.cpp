#include "framework/DllSearch.h"

#include <windows.h>

#include "framework/SystemLibrary.h"

namespace zr {

bool RestrictDllSearchToSystem() {
    constexpr DWORD SEARCH_SYSTEM32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    const auto setDefault = ZR_LIBRARY_FUNCTION(::GetModuleHandleA("kernel32.dll"), SetDefaultDllDirectories);
    if (setDefault && setDefault(SEARCH_SYSTEM32))
        return true;
    // Vista, and 7 without its update for it (KB2533623): the application's folder stays in the
    // search, the current directory does not.
    return ::SetDllDirectoryA("") != FALSE;
}

}  // namespace zr
