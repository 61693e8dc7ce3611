// The package header as the startup evaluation reads it from ./vupcab in the working directory.
#include <gtest/gtest.h>

#include <cstring>

#include "format/PackageHeader.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SamplePackage.h"

namespace {

using namespace zr;

using zr::test::ScratchFolder;

struct HeaderCase {
    const char* what;
    std::string fileBytes;
    const char* version;
    int language;
};

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

std::string Package(const std::string& version, int language) {
    return zr::test::SamplePackage(version, language);
}

class ReadPackageHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ReadPackageHeaderTest, ReadsVersionTextAndLanguageCode) {
    const HeaderCase& c = GetParam();
    ScratchFolder work(/*enter=*/true);
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", c.fileBytes));

    PACKAGE_HEADER header;
    std::memset(&header, 0x7F, sizeof header);  // a missing terminator or an unset code shows
    ASSERT_TRUE(ReadPackageHeader(PACKAGE_FILE_NAME, &header));

    EXPECT_STREQ(header.szVersion, c.version);
    EXPECT_EQ(header.nLanguage, c.language);
}

std::string WithLanguageByte(int byte) {
    std::string bytes = Package("1.05", 0);
    bytes[10] = static_cast<char>(byte);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Header,
    ReadPackageHeaderTest,
    ::testing::Values(
        HeaderCase{"worked example", Package("1.05", 1), "1.05", 1},
        HeaderCase{"high nibble of the language byte is not part of the code", WithLanguageByte(0x21), "1.05", 1},
        HeaderCase{"code 15 is valid though it has no name", WithLanguageByte(0x0F), "1.05", 15},
        HeaderCase{"all four high bits set", WithLanguageByte(0xF3), "1.05", 3},
        HeaderCase{"ten characters fill the field without a terminator", Package("1234567890", 2), "1234567890", 2},
        HeaderCase{"bytes after the first NUL are ignored", Bytes({'1', '.', '0', '5', 0, 'x', 'y', 'z', 0, 0, 1, 0}),
                   "1.05", 1},
        HeaderCase{"NUL first gives the empty text", Bytes({0, '9', '.', '9', '9', 0, 0, 0, 0, 0, 1, 0}), "", 1},
        HeaderCase{"five bytes: version and NUL, language reads as 0", Bytes({'1', '.', '0', '5', 0}), "1.05", 0},
        HeaderCase{"ten bytes: full field, language 0", "9876543210", "9876543210", 0},
        HeaderCase{"three bytes: short text", "1.0", "1.0", 0},
        HeaderCase{"empty file", "", "", 0}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return "case" + std::to_string(info.index); });

TEST(ReadPackageHeader, MissingPackageLeavesTheHeaderUntouched) {
    ScratchFolder work(/*enter=*/true);
    PACKAGE_HEADER header;
    std::memset(&header, 0x7F, sizeof header);
    const PACKAGE_HEADER before = header;

    EXPECT_FALSE(ReadPackageHeader(PACKAGE_FILE_NAME, &header));
    EXPECT_EQ(std::memcmp(&header, &before, sizeof header), 0);
}

TEST(ReadPackageHeader, LooksOnlyInTheWorkingDirectory) {
    ScratchFolder work(/*enter=*/true);
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "sub\\vupcab", Package("1.05", 1)));
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab.bak", Package("1.06", 1)));

    PACKAGE_HEADER header;
    EXPECT_FALSE(ReadPackageHeader(PACKAGE_FILE_NAME, &header));
}

}  // namespace
