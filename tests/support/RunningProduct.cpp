#include "tests/support/RunningProduct.h"

#include <cstdio>

#include "framework/ScopedHandle.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ImitationInstallation.h"

namespace zr::test {

namespace {
const char* MarkOption(RunningProduct::Mark mark) {
    switch (mark) {
        case RunningProduct::Mark::TopLevel:
            return "top";
        case RunningProduct::Mark::ChildOnly:
            return "child";
        case RunningProduct::Mark::NullValue:
            return "null";
        case RunningProduct::Mark::None:
            break;
    }
    return "none";
}
}  // namespace

RunningProduct::RunningProduct(Mark mark) {
    static unsigned counter = 0;
    char eventName[64];
    std::snprintf(eventName, sizeof eventName, "zr-stand-in-ready-%lu-%u", ::GetCurrentProcessId(), ++counter);
    ScopedKernelHandle ready(::CreateEventA(nullptr, TRUE, FALSE, eventName));
    if (!ready)
        return;

    const std::string exe = StandInExePath("1.4.0.0");
    const std::string commandLine =
        "\"" + exe + "\" --mark=" + MarkOption(mark) + " --ready=" + eventName + " --seconds=120";
    if (!StartChildProcess(exe.c_str(), commandLine, nullptr, &m_process))
        return;
    // Generous: under emulation a process start takes seconds.
    const HANDLE waitFor[] = {ready.get(), m_process.hProcess};
    m_ready = ::WaitForMultipleObjects(2, waitFor, FALSE, 60000) == WAIT_OBJECT_0;
}

RunningProduct::~RunningProduct() {
    End();
}

void RunningProduct::End() {
    m_ready = false;
    if (!m_process.hProcess)
        return;
    if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_process.hProcess, 99);
        ::WaitForSingleObject(m_process.hProcess, 10000);
    }
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
    m_process = {};
}

}  // namespace zr::test
