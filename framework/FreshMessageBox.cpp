#include "FreshMessageBox.h"

#include "MessageBox.h"
#include "ScopedHandle.h"

namespace {

void DiscardQueuedInput() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE | PM_NOYIELD)) {
    }
    while (::PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE | PM_NOYIELD)) {
    }
    while (::PeekMessageA(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE | PM_NOYIELD)) {
    }
}

// The box is activated once it is shown: what is queued by then was typed before.
LRESULT CALLBACK OnActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE)
        DiscardQueuedInput();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookTraits : zr::NullMeansNone<HHOOK> {
    static void Close(Handle hook) { ::UnhookWindowsHookEx(hook); }
};

}  // namespace

int AfxFreshMessageBox(const char* text, UINT type, UINT helpId) {
    DiscardQueuedInput();
    // Only while this box runs, and for this thread only.
    const zr::ScopedHandle<HookTraits> hook(
        ::SetWindowsHookExA(WH_CBT, &OnActivation, nullptr, ::GetCurrentThreadId()));
    return AfxMessageBox(text, type, helpId);
}
