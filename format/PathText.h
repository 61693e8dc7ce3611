// Path text in the 8-bit code page the names are read in: separators and two-byte characters.
// Platform-free: the code page comes in as a lead-byte predicate, so the same
// rules run natively, in the fuzz target and against the system's ANSI code page.
#pragma once

#include <cstddef>

namespace zr {

// Tells whether a byte starts a two-byte character in the code page the names will be read in. In a
// double-byte code page a backslash or '|' can be the second byte of a character (CP932 "ポ" is
// 0x83 0x7C), and then it is neither a separator nor a forbidden character.
using LeadBytePredicate = bool (*)(unsigned char);

// The single-byte code pages: no byte starts a two-byte character.
bool NoLeadBytes(unsigned char);

// The lead bytes of `codePage`: the installer's for the system's ANSI code page, the package tool's
// for a package language's. Every code page Windows can have as its ANSI code page is known (932,
// 936, 949, 950 are the double-byte ones); any other has no lead bytes.
LeadBytePredicate LeadBytesOf(unsigned codePage);

// Whether the `length` bytes at `text` are `word` but for the case of ASCII letters, as Windows
// compares these names; other bytes, also those of two-byte characters, must be the same.
inline bool EqualsIgnoringAsciiCase(const char* text, std::size_t length, const char* word) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    std::size_t i = 0;
    for (; i < length && word[i]; ++i) {
        if (upper(text[i]) != upper(word[i]))
            return false;
    }
    return i == length && !word[i];
}

// Both '\' and '/' separate folders for the file functions.
inline bool IsPathSeparator(unsigned char c) {
    return c == '\\' || c == '/';
}

// True when the byte at `at` and the next one before `end` form one two-byte character. Every
// second byte is 0x40 or above, so a lead byte followed by a lower byte is a character of its own and
// the next byte is read on its own too; that keeps '.', ':', '/' and the controls visible whatever
// the code page.
bool StartsTwoByteCharacter(const char* at, const char* end, LeadBytePredicate isLeadByte);

}  // namespace zr
