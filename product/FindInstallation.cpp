// Finds the installed product through the folders the Windows Installer recorded for it.
#include "product/FindInstallation.h"

#include <windows.h>

#include <cstring>

#include "framework/ScopedHandle.h"
#include "product/InstalledProduct.h"

namespace zr {

namespace {
// The cut that turns "...\ZR5048 Emulation Software\EXCEL\" into its installation folder.
constexpr std::size_t EXCEL_FOLDER_LENGTH = 6;
// The longest folder text that still leaves room for a file name and the terminator in the paths.
constexpr std::size_t MAX_FOLDER_LENGTH = INSTALL_PATH_SIZE - sizeof EXE_FILE_NAME;
static_assert(sizeof EXE_FILE_NAME == sizeof LANGUAGE_FILE_NAME, "both paths share one length limit");

// A 32-bit process on 64-bit Windows.
bool IsWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

// Walks the Folders key of one registry view for the first name holding the marker. True leaves that
// name in `name`; false (no key, no match, an enumeration error) leaves `name` undefined.
bool FindMarkedName(REGSAM view, char (&name)[INSTALL_PATH_SIZE]) {
    zr::ScopedRegKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH, 0, KEY_QUERY_VALUE | view, key.receive()) !=
        ERROR_SUCCESS)
        return false;
    for (DWORD index = 0;; ++index) {
        std::memset(name, 0, sizeof name);
        // One less than the buffer: a name of 259 characters or more does not fit.
        DWORD length = INSTALL_PATH_SIZE - 1;
        const LONG status = ::RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        // Another product's folder with a very long name must not hide ours: step over it.
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return false;
        if (std::strstr(name, INSTALL_MARKER) != nullptr)
            return true;
    }
}
}  // namespace

bool FindInstallation(INSTALLATION_PATHS* paths, E_REGISTRY_VIEW* view) {
    // On 64-bit Windows the Installer keeps its folders in the 64-bit view, which a 32-bit process
    // is redirected away from: look there first, then in the process's own view.
    char name[INSTALL_PATH_SIZE];
    E_REGISTRY_VIEW foundIn = REGISTRY_VIEW_WOW64_64BIT;
    if (!IsWow64() || !FindMarkedName(KEY_WOW64_64KEY, name)) {
        foundIn = REGISTRY_VIEW_OWN;
        if (!FindMarkedName(0, name))
            return false;
    }
    // The name holds the marker, so it is longer than the cut.
    const std::size_t folderLength = std::strlen(name) - EXCEL_FOLDER_LENGTH;
    if (folderLength > MAX_FOLDER_LENGTH)
        return false;
    name[folderLength] = '\0';

    std::strcpy(paths->szInstallFolder, name);
    std::strcpy(paths->szExePath, name);
    std::strcat(paths->szExePath, EXE_FILE_NAME);
    std::strcpy(paths->szLanguageIni, name);
    std::strcat(paths->szLanguageIni, LANGUAGE_FILE_NAME);
    if (view)
        *view = foundIn;
    return true;
}

}  // namespace zr
