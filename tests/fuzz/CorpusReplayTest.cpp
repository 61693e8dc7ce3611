// Replays the fuzz target's committed seed corpus on every run, so that what the fuzzer once found
// stays found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/fuzz/PackageDirectoryFuzz.h"

namespace {

TEST(PackageDirectoryCorpus, EveryInputKeepsEveryProperty) {
    std::size_t replayed = 0;
    for (const auto& file : std::filesystem::directory_iterator(ZR_FUZZ_CORPUS)) {
        std::ifstream in(file.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(file.path().filename().string());
        EXPECT_EQ(zr::fuzz::CheckPackageDirectoryProperties(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                            bytes.size()),
                  "");
        ++replayed;
    }
    EXPECT_GE(replayed, 30u);
}

}  // namespace
