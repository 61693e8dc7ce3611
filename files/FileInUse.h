// A file that another program holds open (a spreadsheet with the workbook open, a virus scanner or
// an indexer a moment after the file was written): how the tool tells it from other failures, and how
// long it waits for it to be let go.
#pragma once

#include <windows.h>

#include <functional>

namespace zr {

// About this long in all, in growing pauses: a scanner's hold ends well within it, a user's does not.
inline constexpr DWORD IN_USE_PATIENCE_MS = 3000;

// The wait for a file another program holds: pauses growing from 25 ms to 800 ms, about
// IN_USE_PATIENCE_MS in all.
class CInUsePatience {
  public:
    // Sleeps the next pause; false, without sleeping, once the patience is spent.
    bool Pause();

  private:
    DWORD m_nWaited = 0;
    DWORD m_nPause = 25;
};

// Whether `error` says that another program holds the file (a sharing or a lock violation).
bool IsInUseError(DWORD error);

// Calls `step` until it returns true; while it fails with an in-use error (GetLastError on its
// return), tries again after growing pauses for about IN_USE_PATIENCE_MS in all. Any other failure
// is tried `otherAttempts` times in all (the last error stays the step's). True when the step succeeded.
bool RetriedWhileInUse(const std::function<bool()>& step, int otherAttempts = 1);

}  // namespace zr
