// Every text the dialog shows beyond its template, in the process's ANSI code page: English, and
// Japanese as code page 932 bytes.
#pragma once

#include "update/Outcomes.h"

// What the installed display shows when no installed copy or version is found.
extern const BilingualText TEXT_NONE;

// The Execute command's messages.
extern const BilingualText MSG_PRODUCT_RUNNING;
extern const BilingualText MSG_CONFIRM_UPDATE;
// How an update ended: the rows of update/Outcomes.h.

// Files to be replaced are held by another program: after the outcome's message, the programs' label
// and the count of files beyond those listed (a printf format of one unsigned).
extern const BilingualText TEXT_IN_USE_PROGRAMS;
extern const BilingualText TEXT_IN_USE_MORE;

// The command line's usage (/? and a mistake, which is preceded by the second text and the argument).
extern const BilingualText TEXT_USAGE;
extern const BilingualText TEXT_INVALID_COMMAND_LINE;

// The English look's texts, set over the templates' Japanese ones (the dialog's, and /passive's
// progress window, whose caption and labels read as the dialog's).
extern const char TEXT_CAPTION_ENGLISH[];
extern const char TEXT_INSTALLED_LABEL_ENGLISH[];
extern const char TEXT_UPDATE_LABEL_ENGLISH[];
extern const char TEXT_EXECUTE_ENGLISH[];
extern const char TEXT_EXIT_ENGLISH[];
extern const char TEXT_PASSIVE_STATUS_ENGLISH[];
