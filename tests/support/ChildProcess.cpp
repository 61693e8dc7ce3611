#include "tests/support/ChildProcess.h"

namespace zr::test {

bool StartChildProcess(const char* application,
                       std::string commandLine,
                       const char* folder,
                       PROCESS_INFORMATION* process,
                       HANDLE output) {
    constexpr int TRIES = 4;
    for (int attempt = 1;; ++attempt) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (output) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = startup.hStdError = output;
        }
        *process = {};
        if (::CreateProcessA(application, &commandLine[0], nullptr, nullptr, output != nullptr, 0, nullptr, folder,
                             &startup, process))
            return true;
        const DWORD error = ::GetLastError();
        *process = {};
        if (error != ERROR_INTERNAL_ERROR || attempt == TRIES) {
            ::SetLastError(error);
            return false;
        }
        ::Sleep(50 * attempt);
    }
}

}  // namespace zr::test
