// The exit codes of a run, Windows Installer's values wherever one fits, so that deployment systems
// map them without being told: they retry 1618 by themselves and report the others by name.
#pragma once

#include "update/UpdateVerdict.h"
#include "installer/InstallOutcome.h"

namespace zr {

inline constexpr int EXIT_UPDATED = 0;                  // also: this version is installed already
inline constexpr int EXIT_USER_DECLINED = 1602;         // the dialog closed without an update
inline constexpr int EXIT_FATAL = 1603;                 // failed, everything was put back
inline constexpr int EXIT_NOT_INSTALLED = 1605;         // no installation of the product
inline constexpr int EXIT_LOG_FAILURE = 1622;           // the /log file cannot be opened; nothing was done
inline constexpr int EXIT_BUSY = 1618;                  // another copy installs, the product runs, a file in use
inline constexpr int EXIT_PACKAGE_UNREADABLE = 1619;    // the package is missing or unreadable
inline constexpr int EXIT_PACKAGE_REFUSED = 1620;       // the package is refused (damaged, foreign)
inline constexpr int EXIT_LANGUAGE_MISMATCH = 1623;     // the package's language is not the installation's
inline constexpr int EXIT_NEWER_INSTALLED = 1638;       // a newer version is installed
inline constexpr int EXIT_INVALID_COMMAND_LINE = 1639;  // an unknown option or a missing value

// The exit code of a run that ends at the startup evaluation; UPDATE_APPLIES (which goes on to the
// update) gives EXIT_UPDATED.
int ExitCodeOf(E_UPDATE_VERDICT verdict);
// The exit code of a run that installed, whatever became of it.
int ExitCodeOf(E_INSTALL_OUTCOME outcome);

}  // namespace zr
