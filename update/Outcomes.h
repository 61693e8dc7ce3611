// How each way a run can end is told, declared once: per install outcome and per startup verdict the
// exit code a deployment system reads, the log's text and what the dialog shows, so that adding one
// is adding a row. Platform-free (the exit codes are checked natively); the Japanese texts are code
// page 932 at run time.
#pragma once

#include <string>

#include "installer/InstallOutcome.h"
#include "journal/RecoveryResult.h"
#include "update/UpdateVerdict.h"

// A text the dialog shows, in the process's ANSI code page: English, and Japanese as code page 932.
struct BilingualText {
    const char* english;
    const char* japanese;
    const char* In(bool english) const { return english ? this->english : japanese; }
};

namespace zr {

// Windows Installer's values wherever one fits, so that deployment systems map them without being
// told: they retry 1618 by themselves and report the others by name.
inline constexpr int EXIT_UPDATED = 0;                  // also: this version is installed already
inline constexpr int EXIT_USER_DECLINED = 1602;         // the dialog closed without an update
inline constexpr int EXIT_FATAL = 1603;                 // failed, put back (now or at the next start)
inline constexpr int EXIT_NOT_INSTALLED = 1605;         // no installation of the product
inline constexpr int EXIT_LOG_FAILURE = 1622;           // the /log file cannot be opened; nothing was done
inline constexpr int EXIT_BUSY = 1618;                  // another copy installs, the product runs, a file in use
inline constexpr int EXIT_PACKAGE_UNREADABLE = 1619;    // the package is missing or unreadable
inline constexpr int EXIT_PACKAGE_REFUSED = 1620;       // the package is refused (damaged, foreign)
inline constexpr int EXIT_LANGUAGE_MISMATCH = 1623;     // the package's language is not the installation's
inline constexpr int EXIT_NEWER_INSTALLED = 1638;       // a newer version is installed
inline constexpr int EXIT_INVALID_COMMAND_LINE = 1639;  // an unknown option or a missing value

struct OUTCOME_ROW {
    E_INSTALL_OUTCOME outcome;
    int nExitCode;
    const char* szLog;  // the log's line, after "Outcome: "
    // The dialog's message (its own text, listing the files, for INSTALL_FILES_IN_USE).
    BilingualText message;
};
const OUTCOME_ROW& OutcomeRow(E_INSTALL_OUTCOME outcome);

// The log's line of an INSTALL_FAILED whose rollback could not put everything back.
inline constexpr char OUTCOME_LEFT_FOR_NEXT_START[] =
    "failed, what could not be put back is left for the next start to put back";

struct VERDICT_ROW {
    E_UPDATE_VERDICT verdict;
    int nExitCode;  // of a run that ends at the evaluation (UPDATE_APPLIES goes on to the update)
    // The log's decision, after "Decision: ", with {installed} and {package} for the two versions and
    // {installedLanguage} and {packageLanguage} for the two languages.
    const char* szDecision;
    bool bInstallationShown;  // the dialog shows the installed version (else the installation's "none")
};
const VERDICT_ROW& VerdictRow(E_UPDATE_VERDICT verdict);

struct RECOVERY_ROW {
    E_RECOVERY recovery;
    const char* szLog;  // the log's line, after "Interrupted update: "; null: nothing to say
    // The verdict it forces (the installation cannot be updated now), or UPDATE_APPLIES when the
    // installation may be read and updated.
    E_UPDATE_VERDICT verdict;
};
const RECOVERY_ROW& RecoveryRow(E_RECOVERY recovery);

// The row's decision with its places filled.
std::string DecisionText(const VERDICT_ROW& row,
                         const std::string& installed,
                         const std::string& package,
                         const std::string& installedLanguage,
                         const std::string& packageLanguage);

inline int ExitCodeOf(E_UPDATE_VERDICT verdict) {
    return VerdictRow(verdict).nExitCode;
}
inline int ExitCodeOf(E_INSTALL_OUTCOME outcome) {
    return OutcomeRow(outcome).nExitCode;
}

}  // namespace zr
