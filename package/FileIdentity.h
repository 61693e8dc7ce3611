// Whether two paths name the same file, decided by the file system rather than by the path text: an
// 8.3 alias, a second drive letter or another spelling of a folder all name one file.
#pragma once

#include <string>

namespace zr {

struct FILE_IDENTITY {
    unsigned long nVolumeSerial;
    unsigned long nIndexHigh;
    unsigned long nIndexLow;
};

// The identity of the file or folder at `path` (volume serial number and file index). False, with
// `*identity` untouched, when nothing can be opened there.
bool GetFileIdentity(const std::wstring& path, FILE_IDENTITY* identity);

bool operator==(const FILE_IDENTITY& a, const FILE_IDENTITY& b);

// Whether two full file paths name one place: by identity when both files exist; otherwise by the
// identity of their folders and their names compared without case, so a file still to be created is
// judged too. False when neither can be decided (a folder missing).
bool IsSameFileLocation(const std::wstring& a, const std::wstring& b);

}  // namespace zr
