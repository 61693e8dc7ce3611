#include "tests/support/HeldFile.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

namespace zr::test {

const char* HoldName(Hold how) {
    switch (how) {
        case Hold::READ_SHARING:
            return "read";
        case Hold::READ_WRITE_SHARING:
            return "readwrite";
        case Hold::BYTE_RANGE_LOCK:
            return "lock";
    }
    return "read";
}

HeldFile::HeldFile(const std::string& path, Hold how, DWORD letGoAfterMs) {
    static unsigned s_next = 0;
    const std::string events = "zr-held-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++s_next);
    m_held.reset(::CreateEventA(nullptr, TRUE, FALSE, (events + "-held").c_str()));
    m_release.reset(::CreateEventA(nullptr, TRUE, FALSE, (events + "-release").c_str()));
    const std::string exe = RequiredPath("ZR_FIXTURES") + "\\holder\\zr_file_holder.exe";
    std::string command = "\"" + exe + "\" " + HoldName(how) + " \"" + path + "\" " + events;
    if (letGoAfterMs != INFINITE)
        command += " " + std::to_string(letGoAfterMs);
    if (!m_held || !m_release || !StartChildProcess(exe.c_str(), command, nullptr, &m_process))
        return;
    const HANDLE either[] = {m_held.get(), m_process.hProcess};
    m_bHolding = ::WaitForMultipleObjects(2, either, FALSE, 20000) == WAIT_OBJECT_0;
}

HeldFile::~HeldFile() {
    LetGo();
}

void HeldFile::LetGo() {
    if (!m_process.hProcess)
        return;
    ::SetEvent(m_release.get());
    if (::WaitForSingleObject(m_process.hProcess, 20000) != WAIT_OBJECT_0)
        ::TerminateProcess(m_process.hProcess, 99);
    ::CloseHandle(m_process.hProcess);
    ::CloseHandle(m_process.hThread);
    m_process = {};
}

}  // namespace zr::test
