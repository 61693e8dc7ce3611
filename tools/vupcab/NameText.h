// File names between the release machine's file system and a package's code page: the installed
// product reads entry names in the ANSI code page of its language's Windows (932 for Japanese), so a
// name is converted to it exactly or not at all. Natively through iconv (file names taken as UTF-8),
// on Windows through WideCharToMultiByte.
#pragma once

#include <filesystem>
#include <string>

#include "format/PathText.h"

namespace zr {

// The ANSI code page a Windows of the package's Language code reads names in: 932 (JA), 1252 (EN),
// 936 (CH), 949 (KO); 20127 (ASCII only) for a code without a language.
unsigned CodePageOfLanguage(int language);

// `relative` (a path below a release folder) as an entry name in `codePage`, folders separated by a
// backslash. False when a character has no exact counterpart there (or the name is not valid text).
bool ToPackageName(const std::filesystem::path& relative, unsigned codePage, std::string* name);

// An entry name of `codePage` as a relative path of this file system. False when it cannot be said.
bool FromPackageName(const std::string& name, unsigned codePage, std::filesystem::path* relative);

// The name as the tool compares names (Windows ignores the case of ASCII letters; a second byte of a
// two-byte character is never a letter), for sorting and matching entries.
std::string NameKey(const std::string& name, unsigned codePage);

}  // namespace zr
