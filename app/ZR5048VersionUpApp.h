// The application object: reads the command line, then runs the one dialog modally, or the update
// without questions (/quiet, /passive), and leaves the run's exit code for the process.
#pragma once

#include "framework/WinApp.h"

class CZR5048VersionUpApp : public CWinApp {
  public:
    CZR5048VersionUpApp() = default;
    BOOL InitInstance() override;
    int ExitInstance() override { return m_nExitCode; }

  private:
    int m_nExitCode = 0;
};

extern CZR5048VersionUpApp theApp;
