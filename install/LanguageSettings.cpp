// Languages: the user's UI language, the installed product's Language code and the names shown
// after a version.
#include "install/LanguageSettings.h"

#include <mbstring.h>

#include <cstdlib>
#include <cstring>

#include "dialog/ZR5048VersionUpDlg.h"

namespace {
const char* const kLanguageNames[] = {"JA", "EN", "CH", "KO"};
}

bool zr::IsEnglishLanguageName(char* name) {
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

bool CZR5048VersionUpDlg::IsEnglishUI() {
    // A failed query leaves the buffer empty, which is not Japanese: the dialog then speaks English.
    char locale[260];
    std::memset(locale, 0, sizeof locale);
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, locale, sizeof locale);
    return zr::IsEnglishLanguageName(locale);
}

int CZR5048VersionUpDlg::ReadInstalledLanguage() {
    // A missing file, section, key or value all mean Japanese, the product's own language.
    if (::GetPrivateProfileStringA("LangList", "No0", nullptr, m_szWork, 99, m_szLanguageIni) == 0)
        return 0;
    return std::atoi(m_szWork);
}

const char* CZR5048VersionUpDlg::GetLanguageName(const int& code) const {
    if (code < 0 || code >= static_cast<int>(sizeof kLanguageNames / sizeof kLanguageNames[0]))
        return nullptr;
    return kLanguageNames[code];
}
