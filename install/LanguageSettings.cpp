// Languages: the names shown after a version.
#include "dialog/ZR5048VersionUpDlg.h"

namespace {
const char* const kLanguageNames[] = {"JA", "EN", "CH", "KO"};
}

const char* CZR5048VersionUpDlg::GetLanguageName(const int& code) const {
    if (code < 0 || code >= static_cast<int>(sizeof kLanguageNames / sizeof kLanguageNames[0]))
        return nullptr;
    return kLanguageNames[code];
}
