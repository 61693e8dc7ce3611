// The installed product's Language code from the text of its Language.ini, and the names of the codes.
// Platform-free: the tool and `mkvupcab check` read an installation's language by this one rule.
#pragma once

#include <cstddef>

namespace zr {

// The buffer the Language.ini value is read into. At most 98 characters of the value arrive and the
// last byte is never written, as when 99 characters are offered to Windows' profile reader.
inline constexpr std::size_t LANGUAGE_VALUE_SIZE = 100;

// The installed Language code: key No0 of section LangList in the `size` bytes of Language.ini at
// `text`, read into `value` and taken as a decimal number; 0 (Japanese, the product's own language)
// when the section, the key or the value is missing. Read as Windows' profile reader reads it: section
// and key names without ASCII case and without the blanks around them, only the first section of the
// name and the first key in it, the value without the blanks around it and without one pair of quotes
// around it; a UTF-8 byte order mark is skipped, and a file in UTF-16 (little-endian, with its mark)
// is read as its ASCII characters.
int InstalledLanguageOfText(const char* text, std::size_t size, char (&value)[LANGUAGE_VALUE_SIZE]);

// The name of a Language code ("JA", "EN", "CH", "KO"), or null for a code without a name.
const char* GetLanguageName(int code);

}  // namespace zr
