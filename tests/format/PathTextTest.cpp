// Path text rules natively: where a path's folder part ends, with and without two-byte characters.
#include <gtest/gtest.h>

#include <string>

#include "format/PathText.h"

namespace {

using namespace zr;

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TEST(FolderPartLength, EndsAfterTheLastRealSeparator) {
    const struct {
        const char* path;
        std::size_t singleByte;
        std::size_t cp932;
    } cases[] = {
        {"", 0, 0},
        {"top.txt", 0, 0},
        {"EXCEL\\Report.xls", 6, 6},
        {"a/b\\c", 4, 4},
        {"C:\\dir\\", 7, 7},
        {"\x83\x5C\\\x94\x5C.bmp", 5, 3},  // ソ\能.bmp: 5C after a lead byte is half a character
        {"EXCEL\\\x95\x5C", 8, 6},         // EXCEL\表
        {"a\\\x83", 2, 2},                 // a lone lead byte at the end is a byte of its own
        {"\x83\x30\\x", 3, 3},             // a lead byte before a byte below 0x40 forms no character
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE("case " + std::to_string(i) + ": " + cases[i].path);
        EXPECT_EQ(FolderPartLength(cases[i].path, &NoLeadBytes), cases[i].singleByte);
        EXPECT_EQ(FolderPartLength(cases[i].path, &IsCp932LeadByte), cases[i].cp932);
    }
}

}  // namespace
