// The three version-information calls, taken from version.dll in the Windows system folder only.
// The tool is run from the folder that holds the package, often a download folder; a version.dll
// planted there must never be loaded, so the DLL is not imported and not looked up by name.
#pragma once

#include <windows.h>

#include <winver.h>

#include "framework/ScopedHandle.h"

namespace zr {

class VersionLibrary {
  public:
    // Loads <system folder>\version.dll; IsLoaded() is false when it or one of the calls is missing.
    VersionLibrary();
    VersionLibrary(const VersionLibrary&) = delete;
    VersionLibrary& operator=(const VersionLibrary&) = delete;

    bool IsLoaded() const { return m_getSize && m_getInfo && m_query; }

    // As the Win32 calls of the same names; only valid while IsLoaded().
    DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) const { return m_getSize(path, handle); }
    BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID block) const {
        return m_getInfo(path, handle, size, block);
    }
    BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length) const {
        return m_query(block, subBlock, value, length);
    }

  private:
    ScopedModule m_module;
    decltype(&::GetFileVersionInfoSizeA) m_getSize = nullptr;
    decltype(&::GetFileVersionInfoA) m_getInfo = nullptr;
    decltype(&::VerQueryValueA) m_query = nullptr;
};

}  // namespace zr
