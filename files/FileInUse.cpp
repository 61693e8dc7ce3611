#include "files/FileInUse.h"

namespace zr {

bool CInUsePatience::Pause() {
    constexpr DWORD LONGEST_PAUSE_MS = 800;
    if (m_nWaited >= IN_USE_PATIENCE_MS)
        return false;
    const DWORD slept = m_nPause < IN_USE_PATIENCE_MS - m_nWaited ? m_nPause : IN_USE_PATIENCE_MS - m_nWaited;
    ::Sleep(slept);
    m_nWaited += slept;
    m_nPause = m_nPause * 2 < LONGEST_PAUSE_MS ? m_nPause * 2 : LONGEST_PAUSE_MS;
    return true;
}

bool IsInUseError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool RetriedWhileInUse(const std::function<bool()>& step, int otherAttempts) {
    CInUsePatience patience;
    for (int other = 0;;) {
        if (step())
            return true;
        const DWORD error = ::GetLastError();
        if (!IsInUseError(error) && ++other >= otherAttempts)
            return false;
        const bool paused = patience.Pause();
        ::SetLastError(error);
        if (!paused)
            return false;
    }
}

}  // namespace zr
