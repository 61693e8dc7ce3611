#include "product/LanguageText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "format/PathText.h"

namespace zr {

namespace {

// [at, end) without the blanks around it.
std::string Trimmed(const char* at, const char* end) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
    };
    while (at < end && blank(*at))
        ++at;
    while (end > at && blank(end[-1]))
        --end;
    return std::string(at, end);
}

bool SameName(const std::string& text, const char* name) {
    return EqualsIgnoringAsciiCase(text.data(), text.size(), name);
}

}  // namespace

int InstalledLanguageOfText(const char* text, std::size_t size, char (&value)[LANGUAGE_VALUE_SIZE]) {
    value[0] = '\0';
    // A file in UTF-16 (little-endian, with its mark), as the profile reader also reads: its ASCII
    // characters are what the section, the key and a number are made of.
    if (size >= 2 && std::memcmp(text, "\xFF\xFE", 2) == 0) {
        std::string narrow;
        for (std::size_t i = 2; i + 1 < size; i += 2)
            narrow += text[i + 1] == 0 && static_cast<unsigned char>(text[i]) < 0x80 ? text[i] : '?';
        return InstalledLanguageOfText(narrow.data(), narrow.size(), value);
    }
    const char* const end = text + size;
    const char* at = size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? text + 3 : text;
    bool inside = false;  // in the first [LangList]
    for (const char* next; at < end; at = next) {
        next = at;
        while (next < end && *next != '\n' && *next != '\r')
            ++next;
        const std::string line = Trimmed(at, next);
        next += next < end ? 1 : 0;
        const std::size_t close = line.rfind(']');
        if (!line.empty() && line[0] == '[' && close != std::string::npos && close > 0) {
            if (inside)
                return 0;  // only the first section of the name counts
            inside = SameName(Trimmed(line.data() + 1, line.data() + close), "LangList");
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inside || !SameName(Trimmed(line.data(), line.data() + std::min(equals, line.size())), "No0"))
            continue;
        std::string found =
            equals == std::string::npos ? std::string() : Trimmed(line.data() + equals + 1, line.data() + line.size());
        if (found.size() >= 2 && (found[0] == '"' || found[0] == '\'') && found.back() == found[0])
            found = found.substr(1, found.size() - 2);
        found = found.substr(0, LANGUAGE_VALUE_SIZE - 2);
        std::memcpy(value, found.c_str(), found.size() + 1);
        return std::atoi(value);
    }
    return 0;
}

const char* GetLanguageName(int code) {
    static const char* const NAMES[] = {"JA", "EN", "CH", "KO"};
    return code >= 0 && code < static_cast<int>(sizeof NAMES / sizeof NAMES[0]) ? NAMES[code] : nullptr;
}

}  // namespace zr
