// What an update tells while it runs: the log hears of the plan, every file placed, a refusal's
// reason and the files in use with their holders, and a window (the dialog's, /passive's) gets the progress in
// thousandths.
#pragma once

#include <windows.h>

#include <cstdint>

#include "installer/InstallOutcome.h"
#include "update/DeploymentLog.h"

namespace zr {

// Posted to the window: wParam the bytes placed out of all, in thousandths (0 to 1000).
inline constexpr UINT WM_ZR_INSTALL_PROGRESS = WM_APP + 0x51;
// The least time between two progress messages, but for the first and the last (1000). Each message
// costs the update a round trip to the window's thread (under Wine, several to its server): a
// thousand of them made the update on its thread a tenth slower than called directly.
inline constexpr DWORD PROGRESS_INTERVAL_MS = 50;
// Posted once, after the last change: wParam the E_INSTALL_OUTCOME. The thread ends right after.
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
    void OnRefused(const std::string& why) override;
    void OnFilesInUse(const FILES_IN_USE& inUse) override;
    void OnBackupLeft(const std::wstring& path) override;

    // What OnFilesInUse was told, for the window to ask about; empty before.
    const FILES_IN_USE& InUse() const { return m_inUse; }

  private:
    void Post(unsigned thousandths);

    CDeploymentLog* m_pLog;
    HWND m_hWnd;
    std::uint64_t m_total = 0;
    unsigned m_posted = ~0u;
    DWORD m_postedAt = 0;  // GetTickCount of the last message; differences survive its wrap
    FILES_IN_USE m_inUse;
};

}  // namespace zr
