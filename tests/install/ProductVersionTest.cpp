// The installed Version text, read from stand-in executables with real version resources.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialog/ZR5048VersionUpDlg.h"
#include "tests/support/ImitationInstallation.h"

namespace {

using zr::test::StandInExePath;

struct VersionCase {
    const char* variant;  // the stand-in's ProductVersion, or what else sets it apart
    const char* text;     // the Version text; null: no version
};

const VersionCase kCases[] = {
    {"1.4.0.0", "1.04"},
    {"1.12.0.0", "1.12"},
    {"10.5.3", "10.05"},     // only the minor part is padded
    {"2.123.0.1", "2.123"},  // a three-digit minor part is taken whole
    {"1.0.0.0", "1.00"},
    {"1..0.0", "1."},              // an empty minor part is appended as it stands
    {"1.4", "1.04"},               // one dot: the rest is the minor part, padded like the others
    {"12345.678.0", "12345.678"},  // nine characters, the most a Version text holds
    {"123456.789.0", nullptr},     // ten would not fit
    {"14", nullptr},               // no dot
    {"empty", nullptr},
    {"english-only", nullptr},  // 1.4.0.0, but only in the English string table
    {"no-version", nullptr},
    {"not-built", nullptr},  // no executable there
};

class ProductVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ProductVersionTest, MakesTheVersionTextFromTheJapaneseStringTable) {
    const VersionCase& c = GetParam();
    SCOPED_TRACE(c.variant);
    const std::string exe = StandInExePath(c.variant);
    if (std::strcmp(c.variant, "not-built") != 0) {
        ASSERT_NE(::GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES) << exe;
    }

    CZR5048VersionUpDlg dialog;
    std::strcpy(dialog.m_szExePath, exe.c_str());
    dialog.m_strInstalledVersion = "untouched";

    const bool read = dialog.GetInstalledVersion();

    EXPECT_EQ(read, c.text != nullptr);
    EXPECT_STREQ(dialog.m_strInstalledVersion, c.text ? c.text : "untouched");
}

INSTANTIATE_TEST_SUITE_P(Versions,
                         ProductVersionTest,
                         ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<VersionCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

}  // namespace
