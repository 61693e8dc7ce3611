// A message box that answers only what the user does once it is up. Keys and clicks queued before it
// appeared (Enter, Esc or Alt+F4 pressed while an update ran) would otherwise dismiss it within
// milliseconds, unread.
#pragma once

#include <windows.h>

// As AfxMessageBox, but keyboard and mouse input queued for this thread before the box is shown is
// discarded, at its creation and again when it is activated. The calling thread's own thread only.
int AfxFreshMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
