#include "tests/support/StandInRestartManager.h"

#include <windows.h>

#include "tests/support/TestEnvironment.h"

namespace zr::test {

namespace {

constexpr char OVERRIDES[] = "Software\\Wine\\DllOverrides";

void SetOverride(const char* value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, OVERRIDES, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (value)
        ::RegSetValueExA(key, "rstrtmgr", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>(std::char_traits<char>::length(value) + 1));
    else
        ::RegDeleteValueA(key, "rstrtmgr");
    ::RegCloseKey(key);
}
}  // namespace

StandInRestartManager::StandInRestartManager(const std::string& setting, bool missing) {
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    m_dll = std::string(system) + "\\rstrtmgr.dll";
    m_kept = std::string(system) + "\\rstrtmgr.dll.zr-kept";
    ::DeleteFileA(m_kept.c_str());
    if (::GetFileAttributesA(m_dll.c_str()) != INVALID_FILE_ATTRIBUTES && !::MoveFileA(m_dll.c_str(), m_kept.c_str()))
        return;
    if (!missing &&
        !::CopyFileA((RequiredPath("ZR_FIXTURES") + "\\planted\\rstrtmgr.dll").c_str(), m_dll.c_str(), FALSE))
        return;
    SetOverride("native");
    ::SetEnvironmentVariableA("ZR_STANDIN_RM", setting.c_str());
    m_bReady = true;
}

StandInRestartManager::~StandInRestartManager() {
    ::SetEnvironmentVariableA("ZR_STANDIN_RM", nullptr);
    SetOverride(nullptr);
    ::DeleteFileA(m_dll.c_str());
    if (::GetFileAttributesA(m_kept.c_str()) != INVALID_FILE_ATTRIBUTES)
        ::MoveFileA(m_kept.c_str(), m_dll.c_str());
}

}  // namespace zr::test
