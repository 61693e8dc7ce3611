// The application object: runs the one dialog modally, then lets the process end.
#pragma once

#include "framework/WinApp.h"

class CZR5048VersionUpApp : public CWinApp {
  public:
    CZR5048VersionUpApp() = default;
    BOOL InitInstance() override;
};

extern CZR5048VersionUpApp theApp;
