// Message boxes owned by the main window, captioned with the application title.
#pragma once

#include <windows.h>

// Shows a modal message box and returns the id of the button that closed it.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
