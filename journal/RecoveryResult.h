// What the next start's recovery of an interrupted update found. Platform-free, so that the outcome
// tables (update/Outcomes.h) can say what each result means.
#pragma once

namespace zr {

enum E_RECOVERY {
    RECOVERY_NOTHING,     // no record: the installation is as the last run left it
    RECOVERY_DONE,        // an interrupted run's record was carried out and removed
    RECOVERY_LIVE,        // a running installation holds the record: not touched
    RECOVERY_UNFINISHED,  // the record could not be carried out in full (a file in use): kept
    RECOVERY_REFUSED,     // the record is not one the installer would write: left alone, never acted on
};

}  // namespace zr
