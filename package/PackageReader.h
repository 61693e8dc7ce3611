// The package as the elevated installer reads it: opened once, sharing reading only, so that no other
// program can change or replace it while it is judged and installed; the header, the directory and
// every payload come through this one handle.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/ScopedHandle.h"
#include "package/FileIdentity.h"

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
    bool IsOpen() const { return m_file.IsValid(); }

    // The file's length, as it was when opened (nobody can change it while it is held).
    std::uint64_t Size() const { return m_size; }
    // The file's identity, as of Open.
    const FILE_IDENTITY& Identity() const { return m_identity; }

    // Reads exactly `size` bytes at `offset`; false when fewer are there or the read fails. Also moves
    // the sequential position behind what was read.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size);
    // Reads exactly `size` bytes from the sequential position and moves it on.
    bool Read(void* buffer, std::size_t size);
    // Sets the sequential position.
    void Seek(std::uint64_t offset) { m_position = offset; }

  private:
    ScopedKernelHandle m_file;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
    FILE_IDENTITY m_identity = {};
};

}  // namespace zr
