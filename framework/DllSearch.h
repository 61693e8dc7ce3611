// The tool is started from the folder that holds it and its package, typically a download folder,
// where anyone may have left a DLL. Windows looks for a DLL loaded by name in the application's folder
// and the current directory before the system folder, so both are taken out of the search.
#pragma once

namespace zr {

// Restricts the process's DLL search to the system folder. Call first at the process entry, before
// anything loads a DLL. Uses SetDefaultDllDirectories where kernel32 has it (resolved at run time, so
// the tool still starts where it does not exist) and otherwise removes the current directory from the
// search with SetDllDirectoryA(""). True when the restriction is in force.
bool RestrictDllSearchToSystem();

}  // namespace zr
