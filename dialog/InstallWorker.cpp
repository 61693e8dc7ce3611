#include "dialog/InstallWorker.h"

#include <process.h>

#include "format/PackageFormat.h"
#include "installer/PackageInstall.h"

namespace zr {

CInstallWorker::~CInstallWorker() {
    Join();
}

bool CInstallWorker::Start(const UPDATE_EVALUATION& evaluation, CDeploymentLog* log, HWND window) {
    Join();
    m_inUse = FILES_IN_USE();
    // The thread gets copies: the window's own members stay the window's.
    m_installFolder = evaluation.paths.szInstallFolder;
    m_expected = evaluation.package;
    m_pLog = log;
    m_hWnd = window;
    m_outcome = zr::INSTALL_FAILED;
    // _beginthreadex rather than CreateThread: the installer uses the C runtime's files.
    m_thread.reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &Run, this, 0, nullptr)));
    return static_cast<bool>(m_thread);
}

void CInstallWorker::Join() {
    if (!m_thread)
        return;
    ::WaitForSingleObject(m_thread.get(), INFINITE);
    m_thread.reset();
}

E_INSTALL_OUTCOME CInstallWorker::AwaitUnseenEnd(const char* why) {
    Join();
    if (m_pLog)
        m_pLog->Line("%s during the update: waited for it to end", why);
    return m_outcome;
}

unsigned __stdcall CInstallWorker::Run(void* context) {
    auto* worker = static_cast<CInstallWorker*>(context);
    zr::E_INSTALL_OUTCOME outcome = zr::INSTALL_FAILED;
    try {
        CLoggedProgress progress(worker->m_pLog, worker->m_hWnd);
        outcome = InstallPackage(PACKAGE_FILE_NAME, worker->m_installFolder.c_str(), &worker->m_expected, &progress);
        worker->m_inUse = progress.InUse();
    } catch (...) {
        // Out of memory or the like before the first change: reported like any other failure.
        outcome = zr::INSTALL_FAILED;
    }
    worker->m_outcome = outcome;
    ::PostMessageA(worker->m_hWnd, WM_ZR_INSTALL_ENDED, static_cast<WPARAM>(outcome), 0);
    return 0;
}

}  // namespace zr
