#include "files/FileInUse.h"

namespace zr {

namespace {
constexpr DWORD FIRST_PAUSE_MS = 25;
constexpr DWORD LONGEST_PAUSE_MS = 800;
}  // namespace

bool IsInUseError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool RetriedWhileInUse(const std::function<bool()>& step, int otherAttempts) {
    DWORD waited = 0;
    DWORD pause = FIRST_PAUSE_MS;
    for (int other = 0;;) {
        if (step())
            return true;
        const DWORD error = ::GetLastError();
        if (!IsInUseError(error) && ++other >= otherAttempts)
            return false;
        if (waited >= IN_USE_PATIENCE_MS) {
            ::SetLastError(error);
            return false;
        }
        const DWORD slept = pause < IN_USE_PATIENCE_MS - waited ? pause : IN_USE_PATIENCE_MS - waited;
        ::Sleep(slept);
        waited += slept;
        pause = pause * 2 < LONGEST_PAUSE_MS ? pause * 2 : LONGEST_PAUSE_MS;
        ::SetLastError(error);
    }
}

}  // namespace zr
