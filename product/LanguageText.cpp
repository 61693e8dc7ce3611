#include "product/LanguageText.h"

#include <cstdlib>
#include <cstring>

namespace zr {

namespace {

const char* const LANGUAGE_NAMES[] = {"JA", "EN", "CH", "KO"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
}

// [begin, end) without the blanks around it.
void Trim(const char*& begin, const char*& end) {
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
}

bool SameName(const char* begin, const char* end, const char* name) {
    for (; begin < end && *name; ++begin, ++name) {
        char c = *begin;
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        char n = *name;
        if (n >= 'a' && n <= 'z')
            n = static_cast<char>(n - 'a' + 'A');
        if (c != n)
            return false;
    }
    return begin == end && *name == '\0';
}

}  // namespace

int InstalledLanguageOfText(const char* text, std::size_t size, char (&value)[LANGUAGE_VALUE_SIZE]) {
    value[0] = '\0';
    const char* at = text;
    const char* const end = text + size;
    if (size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0)
        at += 3;
    enum { BEFORE, INSIDE, AFTER } section = BEFORE;  // relative to the first [LangList]
    while (at < end && section != AFTER) {
        const char* lineEnd = at;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        const char* begin = at;
        const char* stop = lineEnd;
        at = lineEnd + (lineEnd < end ? 1 : 0);
        Trim(begin, stop);
        if (begin < stop && *begin == '[') {
            const char* close = stop;
            while (close > begin && close[-1] != ']')
                --close;
            if (close > begin + 1) {
                const char* name = begin + 1;
                const char* nameEnd = close - 1;
                Trim(name, nameEnd);
                if (section == INSIDE)
                    section = AFTER;
                else if (SameName(name, nameEnd, "LangList"))
                    section = INSIDE;
                continue;
            }
        }
        if (section != INSIDE)
            continue;
        const char* equals = static_cast<const char*>(std::memchr(begin, '=', static_cast<std::size_t>(stop - begin)));
        const char* keyEnd = equals ? equals : stop;
        const char* key = begin;
        Trim(key, keyEnd);
        if (!SameName(key, keyEnd, "No0"))
            continue;
        if (!equals)
            return 0;
        const char* found = equals + 1;
        Trim(found, stop);
        if (stop - found >= 2 && (*found == '"' || *found == '\'') && stop[-1] == *found) {
            ++found;
            --stop;
        }
        std::size_t length = static_cast<std::size_t>(stop - found);
        if (length > LANGUAGE_VALUE_SIZE - 2)
            length = LANGUAGE_VALUE_SIZE - 2;
        std::memcpy(value, found, length);
        value[length] = '\0';
        return std::atoi(value);
    }
    return 0;
}

const char* GetLanguageName(int code) {
    if (code < 0 || code >= static_cast<int>(sizeof LANGUAGE_NAMES / sizeof LANGUAGE_NAMES[0]))
        return nullptr;
    return LANGUAGE_NAMES[code];
}

}  // namespace zr
