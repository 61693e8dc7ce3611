// Runs an installation on a thread of its own, so the window that started it keeps answering: it
// posts the progress and, once, the outcome to that window.
#pragma once

#include <windows.h>

#include <string>

#include "framework/ScopedHandle.h"
#include "installer/InstallOutcome.h"
#include "update/DeploymentLog.h"
#include "update/LoggedProgress.h"
#include "update/UpdateEvaluation.h"

namespace zr {

class CInstallWorker {
  public:
    CInstallWorker() = default;
    // Waits for a thread still running: the installation is never cut off by the window going.
    ~CInstallWorker();
    CInstallWorker(const CInstallWorker&) = delete;
    CInstallWorker& operator=(const CInstallWorker&) = delete;

    // Starts installing the package the evaluation read (whose header must still be the one it read)
    // into its installation; the outcome arrives at `window` as WM_ZR_INSTALL_ENDED. `log` may be null.
    // False when the thread could not be started: then nothing was posted and nothing changed.
    bool Start(const UPDATE_EVALUATION& evaluation, CDeploymentLog* log, HWND window);
    // Waits for the thread to end (it ends right after posting its outcome).
    void Join();
    // Waits for an update whose end its window cannot show, says so in the log with `why`, and gives
    // its outcome.
    E_INSTALL_OUTCOME AwaitUnseenEnd(const char* why);
    // The outcome of the last update started, once Join has returned (also when the window it was
    // posted to has gone meanwhile).
    zr::E_INSTALL_OUTCOME Outcome() const { return m_outcome; }
    // After INSTALL_FILES_IN_USE has arrived and Join: the files and their holders.
    const FILES_IN_USE& InUse() const { return m_inUse; }

  private:
    static unsigned __stdcall Run(void* worker);

    std::string m_installFolder;
    zr::PACKAGE_HEADER m_expected = {};
    CDeploymentLog* m_pLog = nullptr;
    HWND m_hWnd = nullptr;
    zr::E_INSTALL_OUTCOME m_outcome = zr::INSTALL_FAILED;
    ScopedKernelHandle m_thread;
    FILES_IN_USE m_inUse;  // written by the thread before it posts its outcome
};

}  // namespace zr
