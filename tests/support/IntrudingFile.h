// Another program's file appearing at a new file's destination once the update has planned (in the
// test process; IntrudeWhenStaged below does it from outside, for the real tool): the
// installer never replaces in one step, so renaming the new file into that name fails and the update
// is put back. Since the files an update replaces are taken before it writes anything, this is how a
// test makes an update fail half way. The rollback removes the intruder with the name it recorded.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "installer/InstallOutcome.h"
#include "tests/support/ScratchFolder.h"

namespace zr::test {

class IntrudingFile : public CInstallProgress {
  public:
    // Writes `path` when the plan is made; everything else goes on to `next` (may be null).
    explicit IntrudingFile(std::string path, CInstallProgress* next = nullptr)
        : m_path(std::move(path)), m_next(next) {}
    bool Intruded() const { return m_bIntruded; }

    void OnPlanned(unsigned entries, std::uint64_t totalBytes) override {
        HANDLE file = ::CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        m_bIntruded = file != INVALID_HANDLE_VALUE;
        if (m_bIntruded)
            ::CloseHandle(file);
        if (m_next)
            m_next->OnPlanned(entries, totalBytes);
    }
    void OnBytesPlaced(std::uint64_t done) override {
        if (m_next)
            m_next->OnBytesPlaced(done);
    }
    void OnEntryPlaced(const char* name, std::uint32_t size) override {
        if (m_next)
            m_next->OnEntryPlaced(name, size);
    }

  private:
    std::string m_path;
    CInstallProgress* m_next;
    bool m_bIntruded = false;
};

// Another program's file made at `path` as soon as the tool's first file of the reserved form appears
// in the watched folder: after the plan, so the tool's rename of a new file into that name fails (it
// never replaces), which is how a test makes an update fail half way now that the files it replaces
// are taken before anything is written.
class IntrudeWhenStaged {
  public:
    explicit IntrudeWhenStaged(std::string path) : m_path(std::move(path)) {}
    void OnChange(const std::string& change) {
        if (m_done || change.compare(0, 6, "added ") != 0 || change.find("zr~") == std::string::npos)
            return;
        m_done = WriteFileBytes(m_path, "another program's");
    }
    bool Done() const { return m_done; }

  private:
    std::string m_path;
    std::atomic<bool> m_done{false};
};

}  // namespace zr::test
