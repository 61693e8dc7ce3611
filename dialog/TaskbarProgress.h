// The update's progress on the window's taskbar button, through the shell's ITaskbarList3. COM is
// reached at run time (ole32 loaded by its full system path on first use), so the tool imports no
// more DLLs and starts where there is no such interface; there, and where the shell refuses, nothing
// is shown.
#pragma once

#include <windows.h>

#include "framework/ScopedHandle.h"

struct ITaskbarList3;

namespace zr {

// A COM interface pointer, released when its owner goes.
struct TaskbarListTraits : NullMeansNone<ITaskbarList3*> {
    static void Close(Handle h);
};

class CTaskbarProgress {
  public:
    CTaskbarProgress() = default;
    ~CTaskbarProgress();
    CTaskbarProgress(const CTaskbarProgress&) = delete;
    CTaskbarProgress& operator=(const CTaskbarProgress&) = delete;

    // Shows `done` out of `total` on `window`'s button. Call on the window's thread.
    void Show(HWND window, unsigned done, unsigned total);
    // Takes the progress off the button again.
    void Clear(HWND window);

  private:
    bool Acquire();

    bool m_bTried = false;
    bool m_bComStarted = false;
    bool m_bShown = false;  // the normal state set: each step then needs only its value
    ScopedModule m_ole32;   // before the interface, so that it outlives it
    ScopedHandle<TaskbarListTraits> m_list;
};

}  // namespace zr
