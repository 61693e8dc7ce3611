// Runs an installation on a thread of its own, so the window that started it keeps answering: it
// posts the progress and, once, the outcome to that window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "dialog/DeploymentLog.h"
#include "framework/ScopedHandle.h"
#include "package/InstallOutcome.h"
#include "package/PackageHeader.h"

namespace zr {

// Posted to the window: wParam the bytes placed out of all, in thousandths (0 to 1000).
inline constexpr UINT WM_ZR_INSTALL_PROGRESS = WM_APP + 0x51;
// Posted once, after the last change: wParam the E_INSTALL_OUTCOME. The thread ends right after.
inline constexpr UINT WM_ZR_INSTALL_ENDED = WM_APP + 0x52;
inline constexpr unsigned PROGRESS_FULL = 1000;

// Tells the log of the plan and of every file placed, and (when `window` is given) posts the progress
// in thousandths to it whenever it changes. Called on the installing thread.
class CLoggedProgress : public CInstallProgress {
  public:
    CLoggedProgress(CDeploymentLog* log, HWND window) : m_pLog(log), m_hWnd(window) {}
    void OnPlanned(unsigned entries, std::uint64_t totalBytes) override;
    void OnBytesPlaced(std::uint64_t bytesDone) override;
    void OnEntryPlaced(const char* entryName, std::uint32_t size) override;

  private:
    void Post(unsigned thousandths);

    CDeploymentLog* m_pLog;
    HWND m_hWnd;
    std::uint64_t m_total = 0;
    unsigned m_posted = ~0u;
};

class CInstallWorker {
  public:
    CInstallWorker() = default;
    // Waits for a thread still running: the installation is never cut off by the window going.
    ~CInstallWorker();
    CInstallWorker(const CInstallWorker&) = delete;
    CInstallWorker& operator=(const CInstallWorker&) = delete;

    // Starts installing the package at `packagePath` (whose header must still be `expected`) into
    // `installFolder`; the outcome arrives at `window` as WM_ZR_INSTALL_ENDED. `log` may be null.
    // False when the thread could not be started: then nothing was posted and nothing changed.
    bool Start(const char* packagePath,
               const char* installFolder,
               const PACKAGE_HEADER& expected,
               CDeploymentLog* log,
               HWND window);
    // Waits for the thread to end (it ends right after posting its outcome).
    void Join();
    // The outcome of the last update started, once Join has returned (also when the window it was
    // posted to has gone meanwhile).
    E_INSTALL_OUTCOME Outcome() const { return m_outcome; }

  private:
    static unsigned __stdcall Run(void* worker);

    std::string m_packagePath;
    std::string m_installFolder;
    PACKAGE_HEADER m_expected = {};
    CDeploymentLog* m_pLog = nullptr;
    HWND m_hWnd = nullptr;
    E_INSTALL_OUTCOME m_outcome = INSTALL_FAILED;
    ScopedKernelHandle m_thread;
};

}  // namespace zr
