// The Version text rule natively, on any ProductVersion text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "product/VersionText.h"

namespace {

using namespace zr;

TEST(MakeVersionText, MajorDotMinorWithAOneDigitMinorPadded) {
    const struct {
        const char* productVersion;
        const char* text;  // null: no Version text
    } cases[] = {
        {"1.4.0.0", "1.04"},
        {"1.12.0.0", "1.12"},
        {"10.5.3", "10.05"},     // only the minor part is padded
        {"2.123.0.1", "2.123"},  // a three-digit minor part is taken whole
        {"1.0.0.0", "1.00"},
        {"1..0.0", "1."},              // an empty minor part is appended as it stands
        {"1.4", "1.04"},               // one dot: the rest is the minor part, padded like the others
        {"1.", "1."},                  // one dot at the end: an empty minor part
        {".4.0", ".04"},               // an empty major part is kept as it stands
        {"a.b.c", "a.0b"},             // nothing is parsed as a number
        {"12345.678.0", "12345.678"},  // nine characters, the most a Version text holds
        {"1234567.8.0", nullptr},      // ten with the padding
        {"123456.789.0", nullptr},     // ten would not fit
        {"1.23456789", nullptr},       // ten from the minor part alone
        {"14", nullptr},               // no dot
        {"", nullptr},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE("case " + std::to_string(i) + ": " + cases[i].productVersion);
        char text[MAX_VERSION_TEXT + 1];
        std::memset(text, 0x7F, sizeof text);  // a missing terminator shows
        const bool made = MakeVersionText(cases[i].productVersion, text);
        EXPECT_EQ(made, cases[i].text != nullptr);
        EXPECT_STREQ(text, cases[i].text ? cases[i].text : "");
    }
}

}  // namespace
