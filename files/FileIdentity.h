// A file's identity as the file system gives it, so that two paths can be judged the same file
// rather than the same text: an 8.3 alias, a second drive letter or another spelling of a folder all
// name one file.
#pragma once

#include <string>

namespace zr {

struct FILE_IDENTITY {
    unsigned long nVolumeSerial;
    unsigned long nIndexHigh;
    unsigned long nIndexLow;
};

// The identity of the file or folder at the full `path` (volume serial number and file index). False,
// with `*identity` untouched, when nothing can be opened there.
bool GetFileIdentity(const std::wstring& path, FILE_IDENTITY* identity);

inline bool operator==(const FILE_IDENTITY& a, const FILE_IDENTITY& b) {
    return a.nVolumeSerial == b.nVolumeSerial && a.nIndexHigh == b.nIndexHigh && a.nIndexLow == b.nIndexLow;
}

}  // namespace zr
