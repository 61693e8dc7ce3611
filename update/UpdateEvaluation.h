// The startup evaluation's decisions, made once, for the dialog (which shows them) and for the
// unattended runs (which act on them and log them): read the package's header, find the installation,
// finish an interrupted update, read the installed version and language, compare.
#pragma once

#include <string>

#include "update/UpdateVerdict.h"
#include "framework/AfxString.h"
#include "product/FindInstallation.h"
#include "format/PackageHeader.h"
#include "journal/Recovery.h"

namespace zr {

struct UPDATE_EVALUATION {
    std::string packagePath;  // the package judged (relative to the current directory)
    bool bPackageRead = false;
    PACKAGE_HEADER package = {};  // what was read; untouched (all zero) when the package was not read
    bool bInstallationFound = false;
    INSTALLATION_PATHS paths = {};  // all zero unless bInstallationFound
    E_REGISTRY_VIEW view = REGISTRY_VIEW_OWN;
    E_RECOVERY recovery = RECOVERY_NOTHING;  // only looked at once the installation is found
    bool bInstalledVersionRead = false;
    CString installedVersion;  // "" unless bInstalledVersionRead
    int nInstalledLanguage = 0;
    E_UPDATE_VERDICT verdict = UPDATE_NOT_INSTALLED;
};

// Evaluates the package at `packagePath` against the installed product, in the dialog's order; an
// interrupted update is finished on the way, which is the only change it may make. The verdict is
// the first refusal met: no installation, an interrupted update that cannot be finished now, no
// installed version, then the package (missing or without a version), then the versions as text in
// the process's code page (1.10 is lower than 1.9; equal texts with equal languages are
// UPDATE_ALREADY_CURRENT), then the languages.
void EvaluateUpdate(const char* packagePath, UPDATE_EVALUATION* evaluation);

// For the unattended runs, whose verdict a deployment system records and never looks at again: in a
// tool built with keys, before a verdict of nothing to install (already current, newer installed,
// another language) is believed, the package is opened once and locked (CPackageReader), and the
// header evaluated must be the one read through that handle, its signature one of the keys' and its
// payloads must end where the block begins, as the installer would judge it. A package that fails
// gives UPDATE_PACKAGE_DAMAGED (UPDATE_PACKAGE_UNREADABLE when it cannot be read now). Any other
// verdict, and a tool without keys, is left alone: an update judges the signature once, as it installs.
void ConfirmNothingToInstall(const char* packagePath, UPDATE_EVALUATION* evaluation);

}  // namespace zr
