// Runs an installation on a thread of its own, so the window that started it keeps answering: it
// posts the progress and, once, the outcome to that window.
#pragma once

#include <windows.h>

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

    // Starts the update `evaluation` judged (InstallUpdate) on a thread of its own; its result arrives
    // at `window` as WM_ZR_INSTALL_ENDED. `log` may be null. False when the thread could not be
    // started: then nothing was posted and nothing changed.
    bool Start(const UPDATE_EVALUATION& evaluation, CDeploymentLog* log, HWND window);
    // Waits for the thread to end (it ends right after posting its result).
    void Join();
    // From Start until the window has shown how the update ended (EndShown).
    bool Busy() const { return m_bBusy; }
    void EndShown() { m_bBusy = false; }
    // When the window goes, or the session ends, before it has shown the end (a quit message ended
    // its loop): waits for the update, says so in the log with `why`, and true. False when not Busy.
    bool AwaitUnseenEnd(const char* why);
    // Whether AwaitUnseenEnd waited for the last update.
    bool EndedUnseen() const { return m_bEndedUnseen; }
    // What the last update started ended with, once Join has returned (also when the window it was
    // posted to has gone meanwhile); INSTALL_FAILED when its thread could not be started.
    const INSTALL_RESULT& Result() const { return m_result; }

  private:
    static unsigned __stdcall Run(void* worker);

    UPDATE_EVALUATION m_evaluation;
    CDeploymentLog* m_pLog = nullptr;
    HWND m_hWnd = nullptr;
    INSTALL_RESULT m_result;  // written by the thread before it posts
    ScopedKernelHandle m_thread;
    bool m_bBusy = false;
    bool m_bEndedUnseen = false;
};

}  // namespace zr
