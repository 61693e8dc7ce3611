// The log of a run that was given /log FILE: UTF-8 text lines, each with the time, appended to the
// file (created if missing, never read back). Without /log nothing is written.
#pragma once

#include <windows.h>

#include <string>

#include "update/UpdateEvaluation.h"
#include "framework/ScopedHandle.h"
#include "installer/InstallOutcome.h"

namespace zr {

class CDeploymentLog {
  public:
    CDeploymentLog();
    ~CDeploymentLog();
    CDeploymentLog(const CDeploymentLog&) = delete;
    CDeploymentLog& operator=(const CDeploymentLog&) = delete;

    // Opens `path` for appending, creating it when missing, with others allowed to read and append
    // meanwhile (dialog/LogFile.h). False (and the log stays closed) when it cannot be opened or is
    // not the file named: a link at or above it, a hard link, a device.
    bool Open(const std::wstring& path);
    bool IsOpen() const { return static_cast<bool>(m_file); }

    // Appends one line: "YYYY-MM-DD hh:mm:ss.mmm UTC  " and `text`, which is in the process's ANSI
    // code page (paths, entry names) and is written as UTF-8. Any thread; nothing when closed.
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The same for a text that is already UTF-16 (the command line), after an ANSI prefix.
    void LineWide(const char* prefix, const std::wstring& text);

  private:
    void Append(const std::string& utf8);

    ScopedKernelHandle m_file;
    CRITICAL_SECTION m_lock;
};

// The evaluation's lines: the package's version and language, the installation folder and the
// registry view it was found in, an interrupted update finished, the installed version and language,
// and each decision down to the verdict.
void LogEvaluation(CDeploymentLog& log, const UPDATE_EVALUATION& evaluation);
// What an installation ended with: a refusal's reason, the files in use and their holders, the files
// left for the next start to put back, and the outcome's line.
void LogInstallResult(CDeploymentLog& log, const INSTALL_RESULT& result);

}  // namespace zr
