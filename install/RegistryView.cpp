#include "install/RegistryView.h"

#include <windows.h>

namespace zr {

bool IsWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    const auto isWow64Process =
        kernel32
            ? reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(::GetProcAddress(kernel32, "IsWow64Process")))
            : nullptr;
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace zr
