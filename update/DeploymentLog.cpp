#include "update/DeploymentLog.h"

#include <cstdarg>
#include <cstdio>

#include "framework/TextEncoding.h"
#include "product/LanguageSettings.h"
#include "update/LogFile.h"

namespace zr {

namespace {
std::string TimeStamp() {
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u UTC  ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return stamp;
}

// "1 (EN)", or "5" for a code without a name.
std::string Language(int code) {
    char text[32];
    const char* name = GetLanguageName(code);
    if (name && *name)
        std::snprintf(text, sizeof text, "%d (%s)", code, name);
    else
        std::snprintf(text, sizeof text, "%d", code);
    return text;
}

const char* ViewName(E_REGISTRY_VIEW view) {
    if (view == REGISTRY_VIEW_WOW64_64BIT)
        return "the 64-bit registry view (asked for from WOW64)";
    return sizeof(void*) == 8 ? "the process's own registry view (64-bit)" : "the process's own registry view (32-bit)";
}
}  // namespace

CDeploymentLog::CDeploymentLog() {
    ::InitializeCriticalSection(&m_lock);
}

CDeploymentLog::~CDeploymentLog() {
    ::DeleteCriticalSection(&m_lock);
}

bool CDeploymentLog::Open(const std::wstring& path) {
    m_file = OpenLogFile(path);
    return IsOpen();
}

void CDeploymentLog::Append(const std::string& utf8) {
    if (!IsOpen())
        return;
    const std::string line = TimeStamp() + utf8 + "\r\n";
    ::EnterCriticalSection(&m_lock);
    DWORD written = 0;
    ::WriteFile(m_file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::LeaveCriticalSection(&m_lock);
}

void CDeploymentLog::Line(const char* format, ...) {
    if (!IsOpen())
        return;
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    Append(ToUtf8(WidenAnsiForDisplay(text)));
}

void CDeploymentLog::LineWide(const char* prefix, const std::wstring& text) {
    Append(ToUtf8(WidenAnsiForDisplay(prefix)) + ToUtf8(text));
}

void LogEvaluation(CDeploymentLog& log, const UPDATE_EVALUATION& e) {
    if (e.packageRead)
        log.Line("Package: version %s, language %s", e.package.szVersion, Language(e.package.nLanguage).c_str());
    else
        log.Line("Package: cannot be read");
    if (!e.installationFound) {
        log.Line("Installation: not found in the Installer's Folders key");
    } else {
        log.Line("Installation folder: %s, found in %s", e.paths.szInstallFolder, ViewName(e.view));
        switch (e.recovery) {
            case RECOVERY_NOTHING:
                break;
            case RECOVERY_DONE:
                log.Line("Interrupted update: finished, the installation is whole again");
                break;
            case RECOVERY_LIVE:
                log.Line("Interrupted update: another copy is installing");
                break;
            case RECOVERY_UNFINISHED:
                log.Line("Interrupted update: cannot be finished now (a file in use)");
                break;
            case RECOVERY_REFUSED:
                log.Line("Interrupted update: its record is not the installer's, left alone");
                break;
        }
        if (e.installedVersionRead)
            log.Line("Installed: version %s, language %s", e.installedVersion.GetString(),
                     Language(e.installedLanguage).c_str());
        else if (LeavesInstallationUsable(e.recovery))
            log.Line("Installed: the version of %s cannot be read", e.paths.szExePath);
    }
    switch (e.verdict) {
        case UPDATE_APPLIES:
            log.Line("Decision: installed %s is lower than %s, same language: update", e.installedVersion.GetString(),
                     e.package.szVersion);
            break;
        case UPDATE_NOT_INSTALLED:
            log.Line("Decision: no installation to update");
            break;
        case UPDATE_INSTALLATION_BUSY:
            log.Line("Decision: the installation is busy, try again later");
            break;
        case UPDATE_INSTALLATION_DAMAGED:
            log.Line("Decision: the installation cannot be updated");
            break;
        case UPDATE_PACKAGE_UNREADABLE:
            log.Line("Decision: no package to install");
            break;
        case UPDATE_PACKAGE_REFUSED:
            log.Line("Decision: the package carries no version, refused");
            break;
        case UPDATE_ALREADY_CURRENT:
            log.Line("Decision: version %s in this language is installed already, nothing to do", e.package.szVersion);
            break;
        case UPDATE_NEWER_INSTALLED:
            log.Line("Decision: installed %s is newer than %s, nothing to do", e.installedVersion.GetString(),
                     e.package.szVersion);
            break;
        case UPDATE_LANGUAGE_MISMATCH:
            log.Line("Decision: the package's language %s is not the installation's %s",
                     Language(e.package.nLanguage).c_str(), Language(e.installedLanguage).c_str());
            break;
        case UPDATE_PACKAGE_DAMAGED:
            log.Line(
                "Decision: the package is damaged or not from the maker, so its version and language are not "
                "believed: refused");
            break;
    }
}

void LogInstallOutcome(CDeploymentLog& log, E_INSTALL_OUTCOME outcome) {
    switch (outcome) {
        case INSTALL_DONE:
            log.Line("Outcome: updated, every file is in place");
            break;
        case INSTALL_PACKAGE_UNREADABLE:
            log.Line("Outcome: the package cannot be read, nothing changed");
            break;
        case INSTALL_PACKAGE_REFUSED:
            log.Line("Outcome: the package is refused, nothing changed");
            break;
        case INSTALL_PACKAGE_UNTRUSTED:
            log.Line("Outcome: the package is damaged or not from the maker, nothing changed");
            break;
        case INSTALL_BUSY:
            log.Line("Outcome: another copy is installing, nothing changed");
            break;
        case INSTALL_FAILED:
            log.Line("Outcome: failed, everything was put back");
            break;
        case INSTALL_FILES_IN_USE:
            log.Line("Outcome: files are in use by another program, nothing changed");
            break;
    }
}

}  // namespace zr
