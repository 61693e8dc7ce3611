#include "product/RegistryView.h"

#include <windows.h>

#include "framework/SystemLibrary.h"

namespace zr {

bool IsWow64() {
    const auto isWow64Process = ZR_KERNEL_FUNCTION(IsWow64Process);
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace zr
