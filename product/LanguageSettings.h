// Languages: the user's UI language, the installed product's Language code and the names shown
// after a version.
#pragma once

#include <cstddef>

namespace zr {

// True when an ISO 639 language name (ja, en, zh, ...) is not Japanese. Upper-cases `name` in place:
// the letter case of the name does not matter.
bool IsEnglishLanguageName(char* name);

// True when the user's locale language is not Japanese; a failed locale query counts as not Japanese.
bool IsEnglishUI();

// The buffer the Language.ini value is read into. 99 characters are offered to the profile reader,
// so at most 98 of the value arrive and the last byte is never written.
inline constexpr std::size_t LANGUAGE_VALUE_SIZE = 100;

// The installed Language code: key No0 of section LangList of `languageIni`, read into `value` and
// taken as a decimal number; 0 (Japanese, the product's own language) when the file, the section, the
// key or the value is missing.
int ReadInstalledLanguage(const char* languageIni, char (&value)[LANGUAGE_VALUE_SIZE]);

// The name of a Language code ("JA", "EN", "CH", "KO"), or null for a code without a name.
const char* GetLanguageName(int code);

}  // namespace zr
