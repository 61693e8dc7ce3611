// The window of an update without questions (/passive): the installed and the package's version and
// a progress bar of the bytes placed out of all. It runs the update on a thread of its own, cannot
// be closed meanwhile, and closes itself when the update has ended.
#pragma once

#include "update/DeploymentLog.h"
#include "dialog/InstallWorker.h"
#include "dialog/TaskbarProgress.h"
#include "update/UpdateEvaluation.h"
#include "framework/Dialog.h"

class CPassiveProgressDlg : public CDialog {
  public:
    // `evaluation` must have the verdict UPDATE_APPLIES; `log` may be null. Both outlive the window.
    CPassiveProgressDlg(const zr::UPDATE_EVALUATION& evaluation, bool english, zr::CDeploymentLog* log);

    // Loads the system's common controls, which draw the progress bar; false where they cannot be
    // had (then the window cannot be made, and the update is to run without it).
    static bool LoadProgressBar();

    // What became of the update, once DoModal has returned something other than -1. When a quit
    // message or the session's end closed the window first, the update is waited for here.
    zr::E_INSTALL_OUTCOME Outcome();

  protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    const zr::UPDATE_EVALUATION& m_evaluation;
    bool m_bEnglish;
    zr::CDeploymentLog* m_pLog;
    zr::CInstallWorker m_worker;
    zr::CTaskbarProgress m_taskbar;
};
