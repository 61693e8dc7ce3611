// What the test registration gives a test process: paths in environment variables, and the user
// locale (LANG decides Wine's). Every test is registered in every locale run; a test that needs one
// locale derives its fixture from one of the classes below and skips itself in the other run.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace zr::test {

// The value of a path variable the test registration sets (ZR_PRODUCT_EXE, ZR_FIXTURES,
// ZR_ARTIFACTS). A missing or empty one ends the whole run with its name: a test must never go on
// with a path of "".
std::string RequiredPath(const char* variable);

// True when this process runs under the Japanese user locale.
bool RunsUnderJapaneseLocale();

// True when the registration says the processor is emulated (32-bit programs through qemu-user):
// a bound on the milliseconds a user waits then measures the emulator, not the tool.
bool RunsOnAnEmulatedCpu();

// Fixtures of tests that mean one look of the tool, which follows the user locale.
class JapaneseLocaleTest : public ::testing::Test {
  protected:
    void SetUp() override;
};

class EnglishLocaleTest : public ::testing::Test {
  protected:
    void SetUp() override;
};

}  // namespace zr::test
