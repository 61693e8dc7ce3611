// The package tool as built for Windows (mkvupcab.exe), run from a test like any program a release
// script starts: to its end, with what it printed. The same Windows paths serve the tool and the
// product, so a test hands one's output to the other unchanged.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace zr::test {

// mkvupcab.exe of the build under test (ZR_PACKAGE_TOOL, set by the test registration).
std::string PackageToolPath();

struct PROGRAM_RUN {
    DWORD exitCode = ~0u;
    std::string output;  // standard output and error together, as printed
};

// Runs `exe` with `arguments` (after its quoted path on the command line) in `folder` and waits for
// its end, at most `timeoutMs` (then it is ended, and the run fails). *run receives the exit code
// and the output.
::testing::AssertionResult RunsToTheEnd(const std::string& exe,
                                        const std::string& arguments,
                                        const std::string& folder,
                                        PROGRAM_RUN* run,
                                        DWORD timeoutMs = 180000);

}  // namespace zr::test
