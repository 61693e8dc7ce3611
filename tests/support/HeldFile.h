// A file held open by another process (tests/support/FileHolderMain.cpp), in one of the ways a
// program keeps a file it has open, for as long as the test says.
#pragma once

#include <windows.h>

#include <string>

#include "framework/ScopedHandle.h"

namespace zr::test {

enum class Hold {
    READ_SHARING,        // others may read only: a spreadsheet with the workbook open
    READ_WRITE_SHARING,  // others may read and write, not delete or rename
    BYTE_RANGE_LOCK,     // every sharing, the whole file locked
};
const char* HoldName(Hold how);

class HeldFile {
  public:
    // Starts the holder on `path`; it lets go after `letGoAfterMs`, or at LetGo().
    HeldFile(const std::string& path, Hold how, DWORD letGoAfterMs = INFINITE);
    ~HeldFile();  // lets go
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Whether the holder holds the file (waits for it to say so).
    bool Holding() const { return m_bHolding; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    // Lets go and waits for the holder to end.
    void LetGo();

  private:
    PROCESS_INFORMATION m_process = {};
    ScopedKernelHandle m_held;
    ScopedKernelHandle m_release;
    bool m_bHolding = false;
};

}  // namespace zr::test
