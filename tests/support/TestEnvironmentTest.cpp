// The test registration's promises to every test: a missing path stops the run with its name, and
// the locale runs tell the two looks apart.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/TestEnvironment.h"

namespace {

TEST(TestEnvironment, AMissingPathEndsTheRunWithItsName) {
    ::SetEnvironmentVariableA("ZR_NOT_SET_BY_ANYONE", nullptr);
    EXPECT_EXIT(zr::test::RequiredPath("ZR_NOT_SET_BY_ANYONE"), ::testing::ExitedWithCode(3),
                "ZR_NOT_SET_BY_ANYONE is not set");
}

TEST(TestEnvironment, EveryRegisteredPathIsThere) {
    for (const char* variable : {"ZR_PRODUCT_EXE", "ZR_FIXTURES", "ZR_ARTIFACTS"}) {
        SCOPED_TRACE(variable);
        EXPECT_NE(zr::test::RequiredPath(variable), "");
    }
}

// The locale a run is registered with is the one the process sees: otherwise a whole look would be
// skipped in both runs.
TEST(TestEnvironment, TheLocaleRunIsTheLocaleSeen) {
    char lang[64] = {};
    ASSERT_NE(::GetEnvironmentVariableA("LANG", lang, sizeof lang), 0u) << "LANG is not set by the registration";
    EXPECT_EQ(zr::test::RunsUnderJapaneseLocale(), std::string(lang).rfind("ja_JP", 0) == 0) << lang;
}

}  // namespace
