#include "update/DeploymentLog.h"

#include <cstdarg>
#include <cstdio>

#include "framework/TextEncoding.h"
#include "product/LanguageSettings.h"
#include "update/LogFile.h"
#include "update/Outcomes.h"

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
    const char* name = GetLanguageName(code);
    return std::to_string(code) + (name ? std::string(" (") + name + ")" : std::string());
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
    if (e.bPackageRead)
        log.Line("Package: version %s, language %s", e.package.szVersion, Language(e.package.nLanguage).c_str());
    else
        log.Line("Package: cannot be read");
    if (!e.bInstallationFound) {
        log.Line("Installation: not found in the Installer's Folders key");
    } else {
        log.Line("Installation folder: %s, found in %s", e.paths.szInstallFolder, ViewName(e.view));
        if (const char* recovery = RecoveryRow(e.recovery).szLog)
            log.Line("Interrupted update: %s", recovery);
        if (e.bInstalledVersionRead)
            log.Line("Installed: version %s, language %s", e.installedVersion.GetString(),
                     Language(e.nInstalledLanguage).c_str());
        else if (RecoveryRow(e.recovery).verdict == UPDATE_APPLIES)
            log.Line("Installed: the version of %s cannot be read", e.paths.szExePath);
    }
    log.Line("Decision: %s", DecisionText(VerdictRow(e.verdict), e.installedVersion.GetString(), e.package.szVersion,
                                          Language(e.nInstalledLanguage), Language(e.package.nLanguage))
                                 .c_str());
}

void LogInstallResult(CDeploymentLog& log, const INSTALL_RESULT& result) {
    if (!result.why.empty())
        log.Line("Refused: %s", result.why.c_str());
    for (const std::string& file : result.inUse.files)
        log.Line("In use: %s", file.c_str());
    for (const FILE_HOLDER& holder : result.inUse.holders)
        log.LineWide("Held by: ", holder.name + L" (process " + std::to_wstring(holder.nProcessId) + L")");
    if (result.outcome == INSTALL_FILES_IN_USE && result.inUse.holders.empty())
        log.Line("Held by: a program the system does not name");
    for (const std::wstring& path : result.notPutBack)
        log.LineWide("Left for the next start (not put back): ", path);
    log.Line("Outcome: %s", result.outcome == INSTALL_FAILED && !result.notPutBack.empty()
                                ? OUTCOME_LEFT_FOR_NEXT_START
                                : OutcomeRow(result.outcome).szLog);
}

}  // namespace zr
