// A version.dll planted in the folder the tool is started from is never used: the version calls come
// from the Windows system folder only.
//
// Wine differs from Windows twice here. It prefers its own version.dll to one in the program's folder,
// so the probe is given Wine's per-program setting to search as Windows does. And Wine's own user32.dll
// imports version.dll (Windows' does not), so with that setting the plant is loaded into every
// program with windows; what the tests can tell apart is whether its calls are made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/ScopedHandle.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowsDllSearchOrder.h"

namespace {

using zr::test::FileExists;
using zr::test::ScratchFolder;

std::string Fixture(const char* relative) {
    return zr::test::RequiredPath("ZR_FIXTURES") + relative;
}

// Runs the probe from `folder`, which is also its working directory; its exit code, or -1.
int RunProbe(const std::string& folder, const std::string& arguments) {
    const std::string exe = folder + "zr_version_probe.exe";
    PROCESS_INFORMATION process = {};
    const zr::test::WindowsDllSearchOrder searchOrder("zr_version_probe.exe", {"version"});
    if (!zr::test::StartChildProcess(exe.c_str(), "\"" + exe + "\" " + arguments, folder.c_str(), &process))
        return -1;
    zr::ScopedKernelHandle thread(process.hThread);
    zr::ScopedKernelHandle handle(process.hProcess);
    if (::WaitForSingleObject(handle.get(), 60000) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(handle.get(), &code);
    return static_cast<int>(code);
}

class PlantedVersionDll : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(::CopyFileA(Fixture("\\probe\\zr_version_probe.exe").c_str(),
                                (download / "zr_version_probe.exe").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileA(Fixture("\\planted\\version.dll").c_str(), (download / "version.dll").c_str(), FALSE));
    }

    ScratchFolder download;
    const std::string trace = download / "planted-version-dll-called";
};

TEST_F(PlantedVersionDll, IsTakenByALookupByName) {
    // Shows that the plant works here: a program that imported version.dll would load it.
    EXPECT_EQ(RunProbe(download.Path(), "--by-name"), 0);
    EXPECT_TRUE(FileExists(trace));
}

TEST_F(PlantedVersionDll, IsNotUsedByTheVersionRead) {
    const std::string exe = zr::test::StandInExePath("1.4.0.0");

    EXPECT_EQ(RunProbe(download.Path(), "\"" + exe + "\" 1.04"), 0);
    EXPECT_FALSE(FileExists(trace));
}

}  // namespace
