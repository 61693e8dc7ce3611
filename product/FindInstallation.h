// Finding the installed product through the folders the Windows Installer recorded for it.
#pragma once

#include <cstddef>

namespace zr {

// Room for each path, terminator included.
inline constexpr std::size_t INSTALL_PATH_SIZE = 260;

struct INSTALLATION_PATHS {
    char szInstallFolder[INSTALL_PATH_SIZE];  // as registered, less "EXCEL\": normally ends in a backslash
    char szExePath[INSTALL_PATH_SIZE];        // the folder text followed by the executable's name
    char szLanguageIni[INSTALL_PATH_SIZE];    // the folder text followed by Language.ini
};

// Where the installation was registered: the 64-bit view that a 32-bit process reaches only by
// asking for it, or the process's own view.
enum E_REGISTRY_VIEW { REGISTRY_VIEW_WOW64_64BIT, REGISTRY_VIEW_OWN };

// Fills *paths from the first name in the Installer's Folders key that holds the product's marker;
// under WOW64 the 64-bit registry view is searched first, then the process's own, and *view (when
// given) says which. False, with *paths and *view untouched, when there is no such name or its folder
// text leaves no room for the file names.
bool FindInstallation(INSTALLATION_PATHS* paths, E_REGISTRY_VIEW* view = nullptr);

}  // namespace zr
