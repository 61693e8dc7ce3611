#include "product/LanguageSettings.h"

#include <windows.h>
#include <mbstring.h>

#include <cstdlib>
#include <cstring>

namespace zr {

namespace {
const char* const LANGUAGE_NAMES[] = {"JA", "EN", "CH", "KO"};
}

bool IsEnglishLanguageName(char* name) {
    for (unsigned char* at = reinterpret_cast<unsigned char*>(name); *at; ++at) {
        // The second byte of a double-byte character may look like a letter: leave it alone.
        if (_ismbblead(*at) && at[1]) {
            ++at;
            continue;
        }
        if (*at >= 'a' && *at <= 'z')
            *at = static_cast<unsigned char>(*at - 'a' + 'A');
    }
    return _mbscmp(reinterpret_cast<const unsigned char*>("JA"), reinterpret_cast<const unsigned char*>(name)) != 0;
}

bool IsEnglishUI() {
    // A failed query leaves the buffer empty, which is not Japanese: the dialog then speaks English.
    char locale[260];
    std::memset(locale, 0, sizeof locale);
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, locale, sizeof locale);
    return zr::IsEnglishLanguageName(locale);
}

int ReadInstalledLanguage(const char* languageIni, char (&value)[LANGUAGE_VALUE_SIZE]) {
    if (::GetPrivateProfileStringA("LangList", "No0", nullptr, value, LANGUAGE_VALUE_SIZE - 1, languageIni) == 0)
        return 0;
    return std::atoi(value);
}

const char* GetLanguageName(int code) {
    if (code < 0 || code >= static_cast<int>(sizeof LANGUAGE_NAMES / sizeof LANGUAGE_NAMES[0]))
        return nullptr;
    return LANGUAGE_NAMES[code];
}

}  // namespace zr
