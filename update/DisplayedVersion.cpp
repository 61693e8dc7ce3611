#include "update/DisplayedVersion.h"

#include "product/LanguageSettings.h"

namespace zr {

std::string MakeDisplayedVersion(const char* version, int code) {
    const char* name = GetLanguageName(code);
    return std::string(version) + "(" + (name ? name : "") + ")";
}

}  // namespace zr
