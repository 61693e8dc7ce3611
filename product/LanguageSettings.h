// Languages: the user's UI language, the installed product's Language code and the names shown
// after a version.
#pragma once

#include "product/LanguageText.h"

namespace zr {

// True when an ISO 639 language name (ja, en, zh, ...) is not Japanese. Upper-cases `name` in place:
// the letter case of the name does not matter.
bool IsEnglishLanguageName(char* name);

// True when the user's locale language is not Japanese; a failed locale query counts as not Japanese.
bool IsEnglishUI();

// The installed Language code of the file `languageIni` (InstalledLanguageOfText); 0 when the file is
// missing or cannot be read.
int ReadInstalledLanguage(const char* languageIni, char (&value)[LANGUAGE_VALUE_SIZE]);

}  // namespace zr
