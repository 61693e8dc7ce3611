// The installed Version text, read from stand-in executables with real version resources: what the
// resource decides (which string table, whether there is one). The text rule is tested natively.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "product/ProductVersion.h"
#include "tests/support/ImitationInstallation.h"

namespace {

using namespace zr;

using zr::test::StandInExePath;

struct VersionCase {
    const char* variant;  // the stand-in's ProductVersion, or what else sets it apart
    const char* text;     // the Version text; null: no version
};

const VersionCase VERSION_CASES[] = {
    {"1.4.0.0", "1.04"},       {"1.12.0.0", "1.12"},
    {"english-only", nullptr},                          // 1.4.0.0, but only in the English string table
    {"no-version", nullptr},   {"not-built", nullptr},  // no executable there
};

class ProductVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ProductVersionTest, MakesTheVersionTextFromTheJapaneseStringTable) {
    const VersionCase& c = GetParam();
    SCOPED_TRACE(c.variant);
    const std::string exe = StandInExePath(c.variant);
    if (std::strcmp(c.variant, "not-built") != 0) {
        ASSERT_NE(::GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES) << exe;
    }
    CString version = "untouched";

    const bool read = GetInstalledVersion(exe.c_str(), version);

    EXPECT_EQ(read, c.text != nullptr);
    EXPECT_STREQ(version, c.text ? c.text : "untouched");
}

INSTANTIATE_TEST_SUITE_P(Versions,
                         ProductVersionTest,
                         ::testing::ValuesIn(VERSION_CASES),
                         [](const ::testing::TestParamInfo<VersionCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

}  // namespace
