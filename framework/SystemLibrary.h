// Functions looked up at run time: in DLLs of Windows' own that the tool does not import, loaded by
// their full path in the system folder (never by name, which would search the start folder, where
// anyone may have left a DLL), and in kernel32 and user32 for the few functions newer than the
// oldest Windows the tool runs on (Windows Vista, see README), where it does without them: the DLL
// search's narrowing and the per-monitor DPI calls. Functions that Vista has are imported directly.
#pragma once

#include <windows.h>

#include <string>

namespace zr {

// Loads `fileName` (such as L"bcrypt.dll") from the system folder. Null when it cannot be loaded;
// the caller frees what it gets. Inline, so that the package tool uses it without the framework.
inline HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return ::LoadLibraryW((std::wstring(system) + L"\\" + fileName).c_str());
}

// `name` in `module` as a pointer of type `Function`; null when the module or the function is missing.
template <class Function>
Function LibraryFunction(HMODULE module, const char* name) {
    // Through the generic function type, which converts to any other without a cast warning.
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name))) : nullptr;
}

// The one way to reach a function at run time: typed by the system header's own declaration, so that
// no signature is written out by hand. Null when the module or the function is missing. kernel32 and
// user32 are imported, so they are loaded already: GetModuleHandleA finds them without a search.
#define ZR_LIBRARY_FUNCTION(module, name) ::zr::LibraryFunction<decltype(&::name)>(module, #name)

}  // namespace zr
