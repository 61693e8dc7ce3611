#include "tools/vupcab/NameText.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace zr {
namespace {

#ifndef _WIN32
const char* IconvName(unsigned codePage) {
    switch (codePage) {
        case 932:
            return "CP932";
        case 936:
            return "CP936";
        case 949:
            return "CP949";
        case 1252:
            return "CP1252";
        default:
            return "ASCII";
    }
}

// Converts all of `in` or fails; no transliteration, so only exact conversions pass.
bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string result(in.size() * 4 + 4, '\0');
    char* source = const_cast<char*>(in.data());
    std::size_t sourceLeft = in.size();
    char* target = &result[0];
    std::size_t targetLeft = result.size();
    const bool done = iconv(cd, &source, &sourceLeft, &target, &targetLeft) != static_cast<std::size_t>(-1) &&
                      iconv(cd, nullptr, nullptr, &target, &targetLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!done || sourceLeft != 0)
        return false;
    result.resize(result.size() - targetLeft);
    *out = result;
    return true;
}
#endif

}  // namespace

unsigned CodePageOfLanguage(int language) {
    switch (language) {
        case 0:
            return 932;
        case 1:
            return 1252;
        case 2:
            return 936;
        case 3:
            return 949;
        default:
            return 20127;
    }
}

#ifdef _WIN32
bool ToPackageName(const std::filesystem::path& relative, unsigned codePage, std::string* name) {
    std::wstring wide = relative.wstring();
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    if (wide.empty())
        return false;
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return false;
    std::string result(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &result[0],
                          length, nullptr, &usedDefault);
    // Exact means it reads back as the same name.
    std::filesystem::path back;
    if (usedDefault || !FromPackageName(result, codePage, &back) || back.wstring() != wide)
        return false;
    *name = result;
    return true;
}

bool FromPackageName(const std::string& name, unsigned codePage, std::filesystem::path* relative) {
    if (name.empty())
        return false;
    const int length =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (length <= 0)
        return false;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), &wide[0], length);
    *relative = std::filesystem::path(wide);
    return true;
}
#else
bool ToPackageName(const std::filesystem::path& relative, unsigned codePage, std::string* name) {
    std::string text = relative.generic_string();
    if (text.empty() || text.find('\\') != std::string::npos)
        return false;  // a backslash inside a file name here would read as a folder there
    std::string converted;
    if (!Convert(IconvName(codePage), "UTF-8", text, &converted))
        return false;
    std::string back;
    if (!Convert("UTF-8", IconvName(codePage), converted, &back) || back != text)
        return false;
    const LeadBytePredicate isLead = LeadBytesOf(codePage);
    for (std::size_t i = 0; i < converted.size(); ++i) {
        if (isLead(static_cast<unsigned char>(converted[i])) && i + 1 < converted.size())
            ++i;
        else if (converted[i] == '/')
            converted[i] = '\\';
    }
    *name = converted;
    return true;
}

bool FromPackageName(const std::string& name, unsigned codePage, std::filesystem::path* relative) {
    std::string text;
    if (name.empty() || !Convert("UTF-8", IconvName(codePage), name, &text))
        return false;
    // After the conversion a backslash is a separator: second bytes have become characters of their own.
    for (char& c : text) {
        if (c == '\\')
            c = '/';
    }
    *relative = std::filesystem::path(text);
    return true;
}
#endif

std::string NameKey(const std::string& name, unsigned codePage) {
    std::string key = name;
    const LeadBytePredicate isLead = LeadBytesOf(codePage);
    for (std::size_t i = 0; i < key.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(key[i]);
        if (isLead(c) && i + 1 < key.size())
            ++i;
        else if (c >= 'a' && c <= 'z')
            key[i] = static_cast<char>(c - 'a' + 'A');
        else if (c == '/')
            key[i] = '\\';
    }
    return key;
}

}  // namespace zr
