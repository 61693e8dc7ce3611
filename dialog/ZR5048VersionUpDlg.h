// The tool's one modal dialog. It owns all state of a run; its package and installed-product
// operations wire the work of package/ and install/ to that state (dialog/DialogOperations.cpp).
#pragma once

#include "dialog/InstallWorker.h"
#include "dialog/TaskbarProgress.h"
#include "dialog/UpdateEvaluation.h"
#include "framework/AfxString.h"
#include "framework/Dialog.h"

class CZR5048VersionUpDlg : public CDialog {
  public:
    // Why the startup evaluation refuses an update; thrown and caught inside OnInitDialog only.
    enum E_ERROR_STATE {
        ERR_NOT_INSTALLED = 1,      // no installed copy, or its version cannot be read
        ERR_NOT_NEWER = 2,          // the installed version text is not lower than the package's
        ERR_LANGUAGE_MISMATCH = 3,  // the package's Language code differs from the installed one
    };

    // The package language before any package was read: outside 0 to 15, so it names no language and
    // a missing package shows empty parentheses.
    static constexpr int PACKAGE_LANGUAGE_UNSET = -1;

    explicit CZR5048VersionUpDlg(CWnd* pParent = nullptr);
    ~CZR5048VersionUpDlg() override;

    // Where the run's log goes (/log): the evaluation, each file placed, the outcome. Null, the
    // default, writes nothing. Set before DoModal; the log must outlive the dialog's run.
    void SetLog(zr::CDeploymentLog* log) { m_pLog = log; }
    // True once an update has succeeded in this run (the exit code tells a deployment so).
    bool Updated() const { return m_bUpdated; }
    // After DoModal: true when the window went while an update ran, before it could show how the
    // update ended (a quit message ended its loop, or the session ended). The update has then been
    // waited for and its outcome logged; *outcome is that outcome.
    bool UpdateEndedUnseen(E_INSTALL_OUTCOME* outcome);

    // Update package. Sets m_strUpdateVersion and m_nPackageLanguage from ./vupcab;
    // changes nothing when the package cannot be opened.
    void ReadPackageHeader();
    // Writes every entry of ./vupcab into m_szInstallFolder; true when all of them are in place.
    bool InstallPackage();
    // Finishes an update of m_szInstallFolder that an ended process left unfinished. True when the
    // installation is whole (nothing was left, or it was put right now); false when it cannot be done
    // now (a file in use, another copy installing, a record not of the installer's making).
    bool FinishInterruptedUpdate();

    // Installed product discovery.
    // Finds the installation folder in the Windows Installer's Folders key and fills m_szInstallFolder,
    // m_szExePath and m_szLanguageIni; false leaves all three untouched.
    bool FindInstallation();
    // Reads the installed Version text from m_szExePath into m_strInstalledVersion; false leaves it.
    bool GetInstalledVersion();
    // True when the user's locale language is not Japanese.
    bool IsEnglishUI();
    // The installed Language code from m_szLanguageIni, 0 when none is recorded.
    int ReadInstalledLanguage();
    // The name of a Language code ("JA", "EN", "CH", "KO"), or null for a code without a name.
    const char* GetLanguageName(const int& code) const;
    // True when a top-level window carries the running product's property.
    bool IsProductRunning();

    // The Displayed version: the version text, "(", the name of the Language code, ")".
    CString MakeDisplayedVersion(const char* version, const int& code) const;

    // The English look, laid over the Japanese template.
    void SetEnglishLayout();
    void SetEnglishFont();

  protected:
    // Dialog state, in declaration order.
    CStatic m_ctlUpdateVersion;
    CButton m_btnExecute;
    CStatic m_ctlInstalledVersion;
    HICON m_hIcon;
    char m_szExePath[260];
    char m_szInstallFolder[260];
    CString m_strInstalledVersion;
    CString m_strUpdateVersion;
    bool m_bEnglish;
    char m_szLanguageIni[260];
    int m_nPackageLanguage = PACKAGE_LANGUAGE_UNSET;
    char m_szWork[100];

    // Beyond the run's state: what the evaluation found, and the update on its thread.
    zr::UPDATE_EVALUATION m_evaluation;
    zr::CDeploymentLog* m_pLog = nullptr;
    bool m_bUpdated = false;
    bool m_bInstalling = false;   // from the confirmation until the outcome has been read
    bool m_bWaitCursor = false;   // while the update's thread runs
    bool m_bEndedUnseen = false;  // the update was waited for without the window (UpdateEndedUnseen)
    zr::CInstallWorker m_worker;
    zr::CTaskbarProgress m_taskbar;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Esc, Alt+F4 and the close box end the dialog, except while an update runs.
    void OnCancel() override;
    // So does Enter (the OK command, sent when the default button is disabled), except while an update runs.
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Message handlers, dispatched from OnMessage.
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnExecute();
    // The update's thread has ended with `outcome`: the dialog is usable again, and says how it went.
    void OnInstallEnded(E_INSTALL_OUTCOME outcome);
    // The session ends (WM_ENDSESSION): an update still running is waited for before the dialog goes.
    void OnEndSession(bool ending);
    // Waits for the update without the window, for `why` (in the log), and keeps its outcome.
    void WaitForUnseenEnd(const char* why);
    void LogEvaluation();
};
