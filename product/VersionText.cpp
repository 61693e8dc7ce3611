#include "product/VersionText.h"

#include <cstring>

namespace zr {

bool MakeVersionText(const char* productVersion, char (&text)[MAX_VERSION_TEXT + 1]) {
    std::memset(text, 0, sizeof text);
    const char* firstDot = std::strchr(productVersion, '.');
    if (firstDot == nullptr)
        return false;
    const char* minor = firstDot + 1;
    const char* secondDot = std::strchr(minor, '.');
    const std::size_t minorLength = secondDot ? static_cast<std::size_t>(secondDot - minor) : std::strlen(minor);
    const std::size_t majorAndDot = static_cast<std::size_t>(minor - productVersion);
    const std::size_t padding = minorLength == 1 ? 1 : 0;
    if (majorAndDot + padding + minorLength > MAX_VERSION_TEXT)
        return false;
    std::memcpy(text, productVersion, majorAndDot);
    if (padding)
        text[majorAndDot] = '0';
    std::memcpy(text + majorAndDot + padding, minor, minorLength);
    return true;
}

}  // namespace zr
