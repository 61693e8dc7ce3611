// The package as the elevated installer reads it: opened once, sharing reading only, so that no other
// program can change or replace it while it is judged and installed; the header, the directory and
// every payload come through this one handle.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/ScopedHandle.h"
#include "files/FileIdentity.h"

namespace zr {

class CPackageReader {
  public:
    CPackageReader() = default;
    CPackageReader(const CPackageReader&) = delete;
    CPackageReader& operator=(const CPackageReader&) = delete;

    // Opens the file at `path` (relative to the current directory) for reading, with no write or
    // delete sharing. False when it is missing, cannot be read, or another program holds it open for
    // writing or deleting; the reader is then closed.
    bool Open(const std::wstring& path);

    // The file's length, as it was when opened (nobody can change it while it is held).
    std::uint64_t Size() const { return m_nSize; }
    // The file's identity, as of Open.
    const FILE_IDENTITY& Identity() const { return m_identity; }

    // Reads exactly `size` bytes at `offset`; false when fewer are there or the read fails. Every read
    // names its offset: nothing depends on the order of calls (reads in order are only cheaper).
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size);

  private:
    ScopedKernelHandle m_file;
    std::uint64_t m_nSize = 0;
    std::uint64_t m_nPosition = 0;  // where the file pointer stands: the end of the last read
    FILE_IDENTITY m_identity = {};
};

}  // namespace zr
