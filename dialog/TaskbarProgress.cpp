#include "dialog/TaskbarProgress.h"

#include <objbase.h>
#include <shobjidl.h>

#include "framework/SystemLibrary.h"

namespace zr {

namespace {
// Spelt out here, so that no GUID library is linked for them.
const CLSID TASKBAR_LIST_CLASS = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
const IID TASKBAR_LIST3_INTERFACE = {0xEA1AFB91, 0x9E28, 0x4B86, {0x90, 0xE9, 0x9E, 0x9F, 0x8A, 0x5E, 0xEF, 0xAF}};
}  // namespace

void TaskbarListTraits::Close(Handle h) {
    h->Release();
}

CTaskbarProgress::~CTaskbarProgress() {
    m_list.reset();
    if (m_bComStarted)
        if (auto uninitialize = ZR_LIBRARY_FUNCTION(m_ole32.get(), CoUninitialize))
            uninitialize();
}

bool CTaskbarProgress::Acquire() {
    if (m_bTried)
        return m_list.IsValid();
    m_bTried = true;
    m_ole32.reset(LoadSystemLibrary(L"ole32.dll"));
    if (!m_ole32)
        return false;
    auto initialize = ZR_LIBRARY_FUNCTION(m_ole32.get(), CoInitializeEx);
    auto create = ZR_LIBRARY_FUNCTION(m_ole32.get(), CoCreateInstance);
    if (!initialize || !create)
        return false;
    // S_FALSE too means this thread holds one more reference to COM, to be given back.
    m_bComStarted = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    if (!m_bComStarted)
        return false;
    void* list = nullptr;
    if (FAILED(create(TASKBAR_LIST_CLASS, nullptr, CLSCTX_INPROC_SERVER, TASKBAR_LIST3_INTERFACE, &list)) || !list)
        return false;
    m_list.reset(static_cast<ITaskbarList3*>(list));
    if (FAILED(m_list.get()->HrInit()))
        m_list.reset();
    return m_list.IsValid();
}

void CTaskbarProgress::Show(HWND window, unsigned done, unsigned total) {
    if (!Acquire())
        return;
    // Every call is a message to the shell's process: the state is set once, the value at each step.
    if (!m_bShown)
        m_bShown = SUCCEEDED(m_list.get()->SetProgressState(window, TBPF_NORMAL));
    m_list.get()->SetProgressValue(window, done, total);
}

void CTaskbarProgress::Clear(HWND window) {
    if (m_list)
        m_list.get()->SetProgressState(window, TBPF_NOPROGRESS);
    m_bShown = false;
}

}  // namespace zr
