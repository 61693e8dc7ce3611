// Functions of kernel32 that older Windows lack are looked up at run time, so that the tool still
// starts there; a missing one is null.
#pragma once

#include <windows.h>

namespace zr {

template <class Function>
Function KernelFunction(const char* name) {
    const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    return kernel32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel32, name))) : nullptr;
}

}  // namespace zr
