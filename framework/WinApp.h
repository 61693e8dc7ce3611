// The application object: one global instance derived from CWinApp, run by the framework's entry.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Runs the application; false ends the process without a message loop of the framework's.
    virtual BOOL InitInstance() = 0;
    // Called once InitInstance has returned false; its result is the process's exit code.
    virtual int ExitInstance() { return 0; }

    // The application title: string resource 57344 when the executable has one, otherwise the
    // executable's file name without its extension. The caption of every message box.
    const char* GetAppTitle() const { return m_szAppTitle; }

    CWnd* m_pMainWnd = nullptr;

  private:
    friend int AfxWinMain();
    void InitAppTitle();

    char m_szAppTitle[MAX_PATH] = {};
};

CWinApp* AfxGetApp();

// The framework's entry: titles the application, runs InitInstance and returns ExitInstance's result.
int AfxWinMain();
