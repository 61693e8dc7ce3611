// libFuzzer entry: a broken property aborts, so the fuzzer keeps the input that broke it.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/PackageDirectoryFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string broken = zr::fuzz::CheckPackageDirectoryProperties(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "package directory property broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
