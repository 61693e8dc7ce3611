// Wide full paths for every file the installer changes or keeps aside. Calls go through the "\\?\"
// form, so a backup name beside a file never needs more room than the file's own path allows: the
// limit of 259 characters binds what the package names, not what the installer adds.
#pragma once

#include <windows.h>

#include <string>

#include "framework/TextEncoding.h"

namespace zr {

// The absolute form of `path` (resolved against the working directory). False when it cannot be had.
bool MakeFullPath(const std::wstring& path, std::wstring* full);

// The absolute form of a folder path, ending in a backslash. False when it cannot be had.
bool FullFolderPath(const std::wstring& folder, std::wstring* full);

// A full path ("C:\...", "\\server\share\...") in the form that passes the length limit: "\\?\C:\..."
// or "\\?\UNC\server\share\...". Only for paths made by MakeFullPath.
std::wstring LongPathForm(const std::wstring& full);

// The final path of the open file or folder `handle` (links and short names resolved), in the form
// MakeFullPath gives: "\\?\C:\x" as "C:\x", "\\?\UNC\s\x" as "\\s\x". False when the system cannot say.
bool FinalPathOf(HANDLE handle, std::wstring* final);

// The folder part of a path, its last backslash included; empty when there is none.
std::wstring FolderPart(const std::wstring& path);

// Paths compared as the file system names them: without case, ordinal.
bool SamePathText(const std::wstring& a, const std::wstring& b);
// `path` as a key for maps and sets of paths, equal for paths SamePathText finds the same: in capitals.
std::wstring PathKey(const std::wstring& path);
// True when `path` lies below `folder` (which ends in a backslash), compared without case.
bool IsBelowFolder(const std::wstring& path, const std::wstring& folder);

// True for the errors that say nothing stands at a path (no such file, or no such folder on the way).
bool IsMissingFileError(unsigned long error);

}  // namespace zr
