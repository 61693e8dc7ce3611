// The installed product's Version text made from its ProductVersion. Platform-free, so the rule is
// tested natively on any text.
#pragma once

#include <cstddef>

namespace zr {

// The longest Version text, without its terminator.
inline constexpr std::size_t MAX_VERSION_TEXT = 9;

// major "." minor from a dotted ProductVersion, a one-digit minor part padded with a 0 (1.4.0.0 gives
// 1.04); build and revision are dropped, and nothing is parsed as a number. Without a second dot the
// rest of the text is the minor part. False, with `text` emptied, when there is no dot or the result
// would be longer than MAX_VERSION_TEXT.
bool MakeVersionText(const char* productVersion, char (&text)[MAX_VERSION_TEXT + 1]);

}  // namespace zr
