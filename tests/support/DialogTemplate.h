// Reads an extended dialog template (DIALOGEX) out of an executable's resources, field by field.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zr::test {

struct DialogItemTemplate {
    std::uint32_t helpId, exStyle, style;
    int x, y, cx, cy;
    std::uint32_t id;
    std::wstring className;  // "#128" style for an ordinal class
    std::wstring text;
    std::uint16_t extraCount;
};

struct DialogTemplate {
    std::uint16_t version, signature;
    std::uint32_t helpId, exStyle, style;
    int x, y, cx, cy;
    std::wstring menu, windowClass, caption;
    std::uint16_t pointSize, weight;
    std::uint8_t italic, charset;
    std::wstring face;
    std::vector<DialogItemTemplate> items;
};

// False when the executable or the resource (type RT_DIALOG, given id and language) is missing or the
// data is not an extended template.
bool LoadDialogTemplate(const std::string& exePath, int id, WORD language, DialogTemplate* out);

}  // namespace zr::test
