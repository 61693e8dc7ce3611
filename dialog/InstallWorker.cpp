#include "dialog/InstallWorker.h"

#include <process.h>

namespace zr {

CInstallWorker::~CInstallWorker() {
    Join();
}

bool CInstallWorker::Start(const UPDATE_EVALUATION& evaluation, CDeploymentLog* log, HWND window) {
    Join();
    // The thread gets copies: the window's own members stay the window's.
    m_evaluation = evaluation;
    m_pLog = log;
    m_hWnd = window;
    m_result = INSTALL_RESULT();
    // _beginthreadex rather than CreateThread: the installer uses the C runtime's files.
    m_thread.reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &Run, this, 0, nullptr)));
    m_bBusy = static_cast<bool>(m_thread);
    return m_bBusy;
}

void CInstallWorker::Join() {
    if (!m_thread)
        return;
    ::WaitForSingleObject(m_thread.get(), INFINITE);
    m_thread.reset();
}

bool CInstallWorker::AwaitUnseenEnd(const char* why) {
    if (!m_bBusy)
        return false;
    Join();
    if (m_pLog)
        m_pLog->Line("%s during the update: waited for it to end", why);
    m_bBusy = false;
    m_bEndedUnseen = true;
    return true;
}

unsigned __stdcall CInstallWorker::Run(void* context) {
    auto* worker = static_cast<CInstallWorker*>(context);
    worker->m_result = InstallUpdate(worker->m_evaluation, worker->m_pLog, worker->m_hWnd);
    ::PostMessageA(worker->m_hWnd, WM_ZR_INSTALL_ENDED, 0, reinterpret_cast<LPARAM>(&worker->m_result));
    return 0;
}

}  // namespace zr
