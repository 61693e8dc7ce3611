#include "tests/support/WindowsDllSearchOrder.h"

#include <windows.h>

#include "framework/ScopedHandle.h"

namespace zr::test {

WindowsDllSearchOrder::WindowsDllSearchOrder(const std::string& program, std::initializer_list<const char*> dlls)
    : m_programKey("Software\\Wine\\AppDefaults\\" + program) {
    ScopedRegKey key;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (m_programKey + "\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, key.receive(), nullptr);
    static const char NATIVE_FIRST[] = "native,builtin";
    for (const char* dll : dlls)
        ::RegSetValueExA(key.get(), dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(NATIVE_FIRST), sizeof NATIVE_FIRST);
}

WindowsDllSearchOrder::~WindowsDllSearchOrder() {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (m_programKey + "\\DllOverrides").c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, m_programKey.c_str());
}

}  // namespace zr::test
