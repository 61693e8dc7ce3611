// The update, run once for the dialog and the unattended runs alike: while it runs the log hears of
// the plan and every file placed and a window (the dialog's, /passive's) gets the progress in
// thousandths; what it ended with is logged once, and returned.
#pragma once

#include <windows.h>

#include <cstdint>

#include "installer/InstallOutcome.h"
#include "update/DeploymentLog.h"
#include "update/UpdateEvaluation.h"

namespace zr {

// Posted to the window: wParam the bytes placed out of all, in thousandths (0 to 1000).
inline constexpr UINT WM_ZR_INSTALL_PROGRESS = WM_APP + 0x51;
// The least time between two progress messages, but for the first and the last (1000). Each message
// costs the update a round trip to the window's thread (under Wine, several to its server): a
// thousand of them made the update on its thread a tenth slower than called directly.
inline constexpr DWORD PROGRESS_INTERVAL_MS = 50;
// Posted once, after the last change: lParam the INSTALL_RESULT, which the poster keeps until it starts
// another update. The thread ends right after.
inline constexpr UINT WM_ZR_INSTALL_ENDED = WM_APP + 0x52;
inline constexpr unsigned PROGRESS_FULL = 1000;

// Tells the log of the plan and of every file placed, and (when `window` is given) posts the progress
// in thousandths to it: at the plan, when it has changed and PROGRESS_INTERVAL_MS have passed since
// the last message, and when it is full. Called on the installing thread.
class CLoggedProgress : public CInstallProgress {
  public:
    CLoggedProgress(CDeploymentLog* log, HWND window) : m_pLog(log), m_hWnd(window) {}
    void OnPlanned(unsigned entries, std::uint64_t totalBytes) override;
    void OnBytesPlaced(std::uint64_t bytesDone) override;
    void OnEntryPlaced(const char* entryName, std::uint32_t size) override;
    void OnBackupLeft(const std::wstring& path) override;

  private:
    void Post(unsigned thousandths);

    CDeploymentLog* m_pLog;
    HWND m_hWnd;
    std::uint64_t m_nTotal = 0;
    unsigned m_nPosted = ~0u;
    DWORD m_nPostedAt = 0;  // GetTickCount of the last message; differences survive its wrap
};

// True, and the refusal logged, while the product runs: its files are open then. Asked right before
// each update, since the product may have been started or ended since the evaluation.
bool RefusedWhileProductRuns(CDeploymentLog* log);

// Installs the package `evaluation` judged (whose header must still be the one it read) into its
// installation, telling `log` and `window` (either may be null) as above, and logs the result.
// Running short of memory is an INSTALL_FAILED like any other.
INSTALL_RESULT InstallUpdate(const UPDATE_EVALUATION& evaluation, CDeploymentLog* log, HWND window);

}  // namespace zr
