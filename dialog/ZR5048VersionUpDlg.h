// The tool's one modal dialog: a view of the startup evaluation (update/UpdateEvaluation.h), whose
// Execute command runs the update on a thread of its own and says how it ended.
#pragma once

#include "dialog/InstallWorker.h"
#include "dialog/TaskbarProgress.h"
#include "framework/Dialog.h"
#include "framework/DisplayScale.h"
#include "framework/ScopedHandle.h"
#include "update/UpdateEvaluation.h"

class CZR5048VersionUpDlg : public CDialog {
  public:
    CZR5048VersionUpDlg();

    // Where the run's log goes (/log): the evaluation, each file placed, the outcome. Null, the
    // default, writes nothing. Set before DoModal; the log must outlive the dialog's run.
    void SetLog(zr::CDeploymentLog* log) { m_pLog = log; }
    // True once an update has succeeded in this run (the exit code tells a deployment so).
    bool Updated() const { return m_bUpdated; }
    // After DoModal: true when the window went while an update ran, before it could show how the
    // update ended (a quit message ended its loop, or the session ended). The update has then been
    // waited for and its outcome logged; *outcome is that outcome.
    bool UpdateEndedUnseen(zr::E_INSTALL_OUTCOME* outcome);

  protected:
    CWnd m_ctlUpdateVersion;
    CWnd m_btnExecute;
    CWnd m_ctlInstalledVersion;
    HICON m_hIcon = nullptr;       // from initialisation: the system logo, at the window DPI's icon size
    zr::ScopedIcon m_iconForDpi;   // holds m_hIcon when it is not the shared logo
    UINT m_nDpi = zr::DESIGN_DPI;  // the DPI the window is laid out for
    bool m_bEnglish = false;

    // What the evaluation found, and the update on its thread.
    zr::UPDATE_EVALUATION m_evaluation;
    zr::CDeploymentLog* m_pLog = nullptr;
    bool m_bUpdated = false;
    bool m_bWaitCursor = false;  // while the update's thread runs
    zr::CInstallWorker m_worker;
    zr::CTaskbarProgress m_taskbar;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Esc, Alt+F4 and the close box end the dialog, except while an update runs.
    void OnCancel() override;
    // So does Enter (the OK command, sent when the default button is disabled), except while an update runs.
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The English look, laid over the Japanese template, for a window shown at `dpi`: the window's
    // place and size, then its controls' (which also get the English font).
    void SetEnglishLayout(UINT dpi);
    void LayOutEnglishControls(UINT dpi);
    static SIZE EnglishSize(UINT dpi);
    // The window now shows at `dpi` (its start, or WM_DPICHANGED): the look laid out again for it.
    void OnDpiChanged(UINT dpi, const RECT& suggested) override;
    // The dialog's icons (WM_SETICON) at the system's icon size for `dpi`.
    void SetIconsForDpi(UINT dpi);

    // Message handlers, dispatched from OnMessage.
    void OnPaint();
    void OnExecute();
    // Disables the dialog's ways out and starts the update's thread (after the user's Yes, or Retry).
    void StartUpdate();
    // The update's thread has ended with `result`: the dialog is usable again, and says how it went.
    void OnInstallEnded(const zr::INSTALL_RESULT& result);
    // The session ends (WM_ENDSESSION): an update still running is waited for before the dialog goes.
    void OnEndSession(bool ending);
};
