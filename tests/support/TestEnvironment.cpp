#include "tests/support/TestEnvironment.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zr::test {

std::string RequiredPath(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') {
        std::fprintf(stderr, "%s is not set: run the tests through ctest, which sets it\n", variable);
        std::fflush(stderr);
        std::exit(3);
    }
    return value;
}

bool RunsUnderJapaneseLocale() {
    return PRIMARYLANGID(LANGIDFROMLCID(::GetUserDefaultLCID())) == LANG_JAPANESE;
}

bool RunsOnAnEmulatedCpu() {
    const char* value = std::getenv("ZR_EMULATED_CPU");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

void JapaneseLocaleTest::SetUp() {
    if (!RunsUnderJapaneseLocale())
        GTEST_SKIP() << "means the Japanese look: runs in the registration with LANG=ja_JP.UTF-8";
}

void EnglishLocaleTest::SetUp() {
    if (RunsUnderJapaneseLocale())
        GTEST_SKIP() << "means the English look: runs in the registration with LANG=en_US.UTF-8";
}

}  // namespace zr::test
