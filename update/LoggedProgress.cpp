#include "update/LoggedProgress.h"

#include <cinttypes>

#include "installer/PackageInstall.h"
#include "product/ProductRunning.h"

namespace zr {

void CLoggedProgress::OnPlanned(unsigned entries, std::uint64_t totalBytes) {
    m_nTotal = totalBytes;
    if (m_pLog)
        m_pLog->Line("Plan: %u files, %" PRIu64 " bytes", entries, totalBytes);
    Post(0);
}

void CLoggedProgress::OnBytesPlaced(std::uint64_t bytesDone) {
    Post(m_nTotal == 0 ? PROGRESS_FULL : static_cast<unsigned>(bytesDone * PROGRESS_FULL / m_nTotal));
}

void CLoggedProgress::OnEntryPlaced(const char* entryName, std::uint32_t size) {
    if (m_pLog)
        m_pLog->Line("Placed: %s (%" PRIu32 " bytes)", entryName, size);
}

void CLoggedProgress::OnBackupLeft(const std::wstring& path) {
    if (m_pLog)
        m_pLog->LineWide("Left for the next start (in use): ", path);
}

void CLoggedProgress::Post(unsigned thousandths) {
    if (thousandths > PROGRESS_FULL)
        thousandths = PROGRESS_FULL;
    if (!m_hWnd || thousandths == m_nPosted)
        return;
    // The first and the full one always go: the bar starts at the plan and is seen to reach its end.
    const DWORD now = ::GetTickCount();
    if (m_nPosted != ~0u && thousandths != PROGRESS_FULL && now - m_nPostedAt < PROGRESS_INTERVAL_MS)
        return;
    m_nPosted = thousandths;
    m_nPostedAt = now;
    ::PostMessageA(m_hWnd, WM_ZR_INSTALL_PROGRESS, thousandths, 0);
}

bool RefusedWhileProductRuns(CDeploymentLog* log) {
    if (!IsProductRunning())
        return false;
    if (log)
        log->Line("Refused: the product is running");
    return true;
}

INSTALL_RESULT InstallUpdate(const UPDATE_EVALUATION& evaluation, CDeploymentLog* log, HWND window) {
    INSTALL_RESULT result;
    try {
        CLoggedProgress progress(log, window);
        result = InstallPackage(evaluation.packagePath.c_str(), evaluation.paths.szInstallFolder, &evaluation.package,
                                &progress);
    } catch (...) {
        // Out of memory or the like before the first change: reported like any other failure.
        result = INSTALL_RESULT();
    }
    if (log)
        LogInstallResult(*log, result);
    return result;
}

}  // namespace zr
