#include "tests/support/ChildProcess.h"

namespace zr::test {

bool StartChildProcess(const char* application,
                       std::string commandLine,
                       const char* folder,
                       PROCESS_INFORMATION* process) {
    constexpr int TRIES = 4;
    for (int attempt = 1;; ++attempt) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        *process = {};
        if (::CreateProcessA(application, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                             process))
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
