#include "product/LanguageSettings.h"

#include <windows.h>
#include <mbstring.h>

#include <cstring>
#include <vector>

#include "framework/ScopedHandle.h"

namespace zr {

namespace {
// More than any Language.ini the product writes; what lies beyond is not read.
constexpr DWORD MAX_LANGUAGE_INI = 1 << 20;
}  // namespace

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
    value[0] = '\0';
    ScopedKernelHandle file(::CreateFileA(languageIni, GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size))
        return 0;
    std::vector<char> text(size.QuadPart < MAX_LANGUAGE_INI ? static_cast<std::size_t>(size.QuadPart)
                                                            : MAX_LANGUAGE_INI);
    DWORD read = 0;
    if (!text.empty() && !::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
        return 0;
    return InstalledLanguageOfText(text.data(), read, value);
}

}  // namespace zr
