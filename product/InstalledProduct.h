// What the updater relies on of the installed "ZR5048 Emulation Software", which the Windows
// Installer puts in place and which lies outside this tool. Nothing else about it is assumed.
#pragma once

namespace zr {

// The Windows Installer's record of the folders that installations created, under HKEY_LOCAL_MACHINE.
// Each value's name is a folder path ending in a backslash; the data is never read.
inline constexpr char INSTALL_KEY_PATH[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";

// The product's EXCEL folder identifies its registration; the folder above it is the installation.
inline constexpr char INSTALL_MARKER[] = "ZR5048 Emulation Software\\EXCEL";

// Files in the installation folder, appended to its text directly (it ends in a backslash).
inline constexpr char EXE_FILE_NAME[] = "ZR5048Em.exe";
inline constexpr char LANGUAGE_FILE_NAME[] = "Language.ini";

// The executable's ProductVersion in its Japanese (0x0411), Unicode (1200) string table; no other
// table is consulted.
inline constexpr char VERSION_QUERY[] = "\\StringFileInfo\\041104b0\\ProductVersion";

// Kept, with a non-null value, on a top-level window of the product while it runs.
inline constexpr char PRODUCT_WINDOW_PROP[] = "ZR5048EM_PROT";

}  // namespace zr
