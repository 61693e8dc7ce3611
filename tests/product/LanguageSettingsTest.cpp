// The UI language from the user's locale, and the installed Language code from Language.ini.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "product/LanguageSettings.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using namespace zr;

using zr::test::ScratchFolder;
using UiLanguageUnderEnglishLocale = zr::test::EnglishLocaleTest;
using UiLanguageUnderJapaneseLocale = zr::test::JapaneseLocaleTest;

TEST(UiLanguage, OnlyTheJapaneseLanguageNameMeansJapanese) {
    const struct {
        const char* name;
        bool english;
    } cases[] = {
        {"ja", false}, {"JA", false}, {"Ja", false}, {"jA", false},              // the letter case does not matter
        {"en", true},  {"zh", true},  {"ko", true},  {"de", true},  {"", true},  // a failed locale query
        {"jpn", true},  // a three-letter name is another language
        {"j", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[260] = {};
        std::strcpy(buffer, c.name);
        EXPECT_EQ(zr::IsEnglishLanguageName(buffer), c.english);
    }
}

// Each of these two runs in the test registration of its locale (LANG), which decides Wine's user
// locale, and skips itself in the other.
TEST_F(UiLanguageUnderJapaneseLocale, TheDialogSpeaksJapanese) {
    EXPECT_FALSE(IsEnglishUI());
}

TEST_F(UiLanguageUnderEnglishLocale, TheDialogSpeaksEnglish) {
    EXPECT_TRUE(IsEnglishUI());
}

struct LanguageCase {
    const char* what;
    const char* ini;  // Language.ini as written; null: no file
    int code;
    const char* name;  // null: a code without a name
};

const LanguageCase LANGUAGE_CASES[] = {
    {"English", "[LangList]\r\nNo0=1\r\n", 1, "EN"},
    {"Korean", "[LangList]\r\nNo0=3\r\n", 3, "KO"},
    {"Japanese", "[LangList]\r\nNo0=0\r\n", 0, "JA"},
    {"digits then letters", "[LangList]\r\nNo0=2abc\r\n", 2, "CH"},
    {"a name instead of a number", "[LangList]\r\nNo0=EN\r\n", 0, "JA"},
    {"only spaces", "[LangList]\r\nNo0=   \r\n", 0, "JA"},
    {"empty value", "[LangList]\r\nNo0=\r\n", 0, "JA"},
    {"negative", "[LangList]\r\nNo0=-1\r\n", -1, nullptr},
    {"beyond every package code", "[LangList]\r\nNo0=16\r\n", 16, nullptr},
    {"spaces around the value", "[LangList]\r\nNo0 =  7 \r\n", 7, nullptr},
    {"section and key in another case", "[langlist]\r\nno0=1\r\n", 1, "EN"},
    {"only No0 of LangList counts", "[Other]\r\nNo0=1\r\n[LangList]\r\nNo1=2\r\n", 0, "JA"},
    {"no LangList section", "[Settings]\r\nLanguage=1\r\n", 0, "JA"},
    {"no file", nullptr, 0, "JA"},
    {"a quoted value", "[LangList]\r\nNo0='3'\r\n", 3, "KO"},
    {"a byte order mark", "\xEF\xBB\xBF[LangList]\r\nNo0=1\r\n", 1, "EN"},
    {"only the first LangList counts", "[LangList]\r\nNo1=1\r\n[LangList]\r\nNo0=1\r\n", 0, "JA"},
    {"the first No0 counts", "[LangList]\nNo0=2\nNo0=1\n", 2, "CH"},
};

class ReadInstalledLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(ReadInstalledLanguageTest, ReadsLangListNo0AsADecimalNumber) {
    const LanguageCase& c = GetParam();
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    const std::string ini = folder / "Language.ini";
    if (c.ini) {
        ASSERT_TRUE(zr::test::WriteFileBytes(ini, c.ini));
    }
    char value[LANGUAGE_VALUE_SIZE];

    const int code = ReadInstalledLanguage(ini.c_str(), value);

    EXPECT_EQ(code, c.code);
    if (c.name) {
        EXPECT_STREQ(GetLanguageName(code), c.name);
    } else {
        EXPECT_EQ(GetLanguageName(code), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Values,
                         ReadInstalledLanguageTest,
                         ::testing::ValuesIn(LANGUAGE_CASES),
                         [](const ::testing::TestParamInfo<LanguageCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST(ReadInstalledLanguage, ReadsAFileInUtf16) {
    ScratchFolder folder;
    const std::string ini = folder / "Language.ini";
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("[LangList]\r\nNo0=3\r\n"))
        utf16 += std::string(1, c) + '\0';
    ASSERT_TRUE(zr::test::WriteFileBytes(ini, utf16));
    char value[LANGUAGE_VALUE_SIZE];

    EXPECT_EQ(ReadInstalledLanguage(ini.c_str(), value), 3);
}

TEST(ReadInstalledLanguage, ALongValueStaysInsideTheWorkBuffer) {
    ScratchFolder folder;
    const std::string ini = folder / "Language.ini";
    ASSERT_TRUE(zr::test::WriteFileBytes(ini, "[LangList]\r\nNo0=5" + std::string(150, 'x') + "\r\n"));
    char value[LANGUAGE_VALUE_SIZE];
    std::memset(value, 0x7F, sizeof value);

    EXPECT_EQ(ReadInstalledLanguage(ini.c_str(), value), 5);
    // 99 characters offered: 98 of the value and the terminator; the last byte is never written.
    EXPECT_EQ(std::strlen(value), 98u);
    EXPECT_EQ(value[99], 0x7F);
}

}  // namespace
