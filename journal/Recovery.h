// Putting an installation back from its recovery record: the same procedure serves a failing run
// (its rollback) and the next start after an interrupted one.
#pragma once

#include <string>
#include <vector>

#include "journal/RecoveryRecord.h"
#include "journal/RecoveryResult.h"

namespace zr {

// Carries out what a record asks. Before the swap: its staged files deleted. Before the commit point:
// every change undone, newest first (files the run created and its staged files deleted, every file
// kept aside put back over whatever stands at its name). After it: the installed files kept aside and
// any staged file left deleted. Only the record's own paths are touched, all of them below its
// installation folder. Each step is idempotent, so a record may be carried out again after an
// interruption; a failing step is retried a few times (a file another program holds, for about three
// seconds) and the rest still done. True when nothing is left to do; otherwise *left, when given,
// gets each path the record could not settle: after the commit point a file still standing that
// should be gone, before it a file that could not be deleted or an installed file not put back.
bool CarryOutRecord(const RECOVERY_RECORD& record, std::vector<std::wstring>* left = nullptr);

// Finishes an interrupted installation of the installation folder `installFolder` (ANSI, ending in
// a backslash) from its record, silently. Only RECOVERY_NOTHING and RECOVERY_DONE leave an
// installation that may be read and updated (update/Outcomes.h says what each means).
E_RECOVERY RecoverInstallation(const char* installFolder);

}  // namespace zr
