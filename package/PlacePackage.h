// The last step of an installation: the planned entries written from the package's payloads, each
// staged beside its destination and renamed in, with the recovery record kept ahead of every change.
#pragma once

#include "package/InstallOutcome.h"
#include "package/PackagePlan.h"
#include "package/PackageReader.h"

// Writes the payloads that follow in `package` (its sequential position at the first payload) to the
// entries of `plan`, in order, and commits. All or nothing: on failure everything is put back, and
// what cannot be put back stays in the recovery record for the next start (INSTALL_FAILED).
// INSTALL_BUSY, with nothing touched, when a record is present in `installFolder` (full, ending in a
// backslash): another copy installing, or an interrupted run not yet recovered. `progress` may be null.
E_INSTALL_OUTCOME PlacePackage(const PACKAGE_PLAN& plan,
                               zr::CPackageReader& package,
                               const std::wstring& installFolder,
                               CInstallProgress* progress);
