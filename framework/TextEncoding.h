// Text between the encodings the tool meets: the system's ANSI code page (paths, entry names, the
// dialog's texts), UTF-16 (the file functions, the command line) and UTF-8 (the recovery record, the
// log). The one place that converts.
#pragma once

#include <string>

namespace zr {

// `text` in the ANSI code page as wide text; empty when it is not valid in that code page.
std::wstring WidenAnsi(const char* text);
// The same, but what is not valid is replaced rather than refused (for text that is only shown).
std::wstring WidenAnsiForDisplay(const char* text);
// Wide text in the ANSI code page; characters it lacks become the code page's default character.
std::string NarrowToAnsi(const std::wstring& text);
// Wide text as UTF-8 and back (the recovery record's and the log's encoding); empty on failure.
std::string ToUtf8(const std::wstring& text);
bool FromUtf8(const std::string& text, std::wstring* wide);

}  // namespace zr
