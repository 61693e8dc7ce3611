// The last step of an installation: the planned entries written from the package's payloads, each
// through its Working file to its destination, every change noted in the journal.
#pragma once

#include <cstdio>

#include "package/InstallJournal.h"
#include "package/PackagePlan.h"

// Writes the payloads that follow in `package` (positioned at the first payload) to the entries of
// `plan`, in order. Every read, write and close is checked. False at the first failure; the journal
// then holds what to undo, and its owner decides (rolling back is the journal's default).
bool PlacePackage(const PACKAGE_PLAN& plan, std::FILE* package, CInstallJournal* journal);
