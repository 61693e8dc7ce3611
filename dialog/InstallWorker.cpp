#include "dialog/InstallWorker.h"

#include <process.h>

#include "installer/PackageInstall.h"

namespace zr {

CInstallWorker::~CInstallWorker() {
    Join();
}

bool CInstallWorker::Start(const char* packagePath,
                           const char* installFolder,
                           const zr::PACKAGE_HEADER& expected,
                           CDeploymentLog* log,
                           HWND window) {
    Join();
    m_inUse = FILES_IN_USE();
    // The thread gets copies: the window's own members stay the window's.
    m_packagePath = packagePath;
    m_installFolder = installFolder;
    m_expected = expected;
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

unsigned __stdcall CInstallWorker::Run(void* context) {
    auto* worker = static_cast<CInstallWorker*>(context);
    zr::E_INSTALL_OUTCOME outcome = zr::INSTALL_FAILED;
    try {
        CLoggedProgress progress(worker->m_pLog, worker->m_hWnd);
        outcome = InstallPackage(worker->m_packagePath.c_str(), worker->m_installFolder.c_str(), &worker->m_expected,
                                 &progress);
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
