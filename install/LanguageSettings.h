// The UI-language decision, apart from the locale query so that it can be tried on any name.
#pragma once

namespace zr {

// True when an ISO 639 language name (ja, en, zh, ...) is not Japanese. Upper-cases `name` in place:
// the letter case of the name does not matter.
bool IsEnglishLanguageName(char* name);

}  // namespace zr
