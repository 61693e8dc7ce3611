// Every text the dialog shows beyond its template, in the process's ANSI code page: English, and
// Japanese as code page 932 bytes.
#pragma once

struct BilingualText {
    const char* english;
    const char* japanese;
    const char* In(bool english) const { return english ? this->english : japanese; }
};

// What the installed display shows when no installed copy or version is found.
extern const BilingualText TEXT_NONE;

// The Execute command's messages.
extern const BilingualText MSG_PRODUCT_RUNNING;
extern const BilingualText MSG_CONFIRM_UPDATE;
extern const BilingualText MSG_UPDATE_SUCCEEDED;
extern const BilingualText MSG_UPDATE_FAILED;

// The English look's texts, set over the template's Japanese ones.
extern const char TEXT_CAPTION_ENGLISH[];
extern const char TEXT_INSTALLED_LABEL_ENGLISH[];
extern const char TEXT_UPDATE_LABEL_ENGLISH[];
extern const char TEXT_EXECUTE_ENGLISH[];
extern const char TEXT_EXIT_ENGLISH[];
