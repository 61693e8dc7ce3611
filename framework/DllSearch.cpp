#include "framework/DllSearch.h"

#include <windows.h>

namespace zr {

bool RestrictDllSearchToSystem() {
    constexpr DWORD SEARCH_SYSTEM32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    const auto setDefault = kernel32 ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                           ::GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                                     : nullptr;
    if (setDefault && setDefault(SEARCH_SYSTEM32))
        return true;
    // Older systems: the application's folder stays in the search, the current directory does not.
    return ::SetDllDirectoryA("") != FALSE;
}

}  // namespace zr
