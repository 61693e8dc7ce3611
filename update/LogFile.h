// Opening the /log file so that the file written is the file named. The tool runs elevated, often as
// SYSTEM with its log in a folder every user may create files in (C:\Windows\Temp): a link at the
// log's path, a hard link there, or a junction above it would otherwise lead its lines, and a file it
// creates, into a place of another program's choosing. A plain file of anybody's making is harmless.
#pragma once

#include <windows.h>

#include <string>

#include "framework/ScopedHandle.h"

namespace zr {

// Opens `path` (full, or relative to the current directory) for appending, creating it when missing,
// others allowed to read and append meanwhile. The handle is given only when the file opened is the
// file named: no reparse point at it (by handle, and by name as Wine needs), its final path the full
// path of `path` (so no junction or link above it), exactly one link, a file on a disk. Otherwise the
// handle is empty, nothing was written, and a file this call created is removed through its own handle.
ScopedKernelHandle OpenLogFile(const std::wstring& path);

}  // namespace zr
