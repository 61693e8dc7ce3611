// Shows the wait cursor for the life of the object, so every way out of a scope restores the cursor.
#pragma once

#include "WinApp.h"

class CWaitCursor {
  public:
    CWaitCursor() { Apply(1); }
    ~CWaitCursor() { Apply(-1); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

  private:
    static void Apply(int code) {
        if (CWinApp* app = AfxGetApp())
            app->DoWaitCursor(code);
    }
};
