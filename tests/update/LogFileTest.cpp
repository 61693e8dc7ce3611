// The /log file opened in-process: what opens, what is appended to, and what is refused without a
// byte written (the links that need the Linux side are in tests/e2e/DeploymentTest.cpp), and what the
// log says of an update that failed.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "update/DeploymentLog.h"
#include "update/LogFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

using zr::test::ReadFileBytes;
using zr::test::ScratchFolder;

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

bool Append(const zr::ScopedKernelHandle& file, const std::string& text) {
    DWORD written = 0;
    return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

TEST(OpenLogFile, CreatesANewFileAndAppendsToAPlainOne) {
    ScratchFolder folder;
    const std::string path = folder / "deploy.log";
    {
        const zr::ScopedKernelHandle file = zr::OpenLogFile(Wide(path));
        ASSERT_TRUE(file);
        ASSERT_TRUE(Append(file, "first\r\n"));
    }
    {
        // Relative to the current directory, in another case: the same file.
        char previous[MAX_PATH] = {};
        ::GetCurrentDirectoryA(sizeof previous, previous);
        ASSERT_TRUE(::SetCurrentDirectoryA(folder.Path().c_str()));
        const zr::ScopedKernelHandle file = zr::OpenLogFile(L"DEPLOY.LOG");
        ::SetCurrentDirectoryA(previous);
        ASSERT_TRUE(file);
        ASSERT_TRUE(Append(file, "second\r\n"));
    }
    EXPECT_EQ(ReadFileBytes(path), "first\r\nsecond\r\n");
}

TEST(OpenLogFile, RefusesWhatIsNotThePlainFileNamed) {
    ScratchFolder folder;
    ASSERT_TRUE(zr::test::WriteFileBytes(folder / "Secret.txt", "secret"));
    ASSERT_TRUE(::CreateHardLinkA((folder / "linked.log").c_str(), (folder / "Secret.txt").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((folder / "folder.log").c_str(), nullptr));
    const struct {
        int row;
        std::string path;
    } cases[] = {
        {1, folder / "linked.log"}, {2, folder / "folder.log"}, {3, "NUL"}, {4, "\\\\.\\NUL"}, {5, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_FALSE(zr::OpenLogFile(Wide(c.path)));
    }
    EXPECT_EQ(ReadFileBytes(folder / "Secret.txt"), "secret");
    // Nothing created beside them.
    std::string names;
    for (const auto& [name, bytes] : zr::test::SnapshotFolder(folder.Path()))
        names += name + " ";
    EXPECT_EQ(names, "Secret.txt folder.log\\ linked.log ");
}

}  // namespace

namespace {

// What an update ended with, as the log tells it: a failure whose rollback met a held file says that
// it is left for the next start, and which file; one put back whole says so.
TEST(DeploymentLog, TellsWhatAFailedUpdateLeftForTheNextStart) {
    ScratchFolder folder;
    const std::string path = folder / "deploy.log";
    {
        zr::CDeploymentLog log;
        ASSERT_TRUE(log.Open(Wide(path)));
        zr::INSTALL_RESULT left;
        left.notPutBack = {L"C:\\Apps\\ZR5048Em.exe"};
        zr::LogInstallResult(log, left);
        zr::LogInstallResult(log, zr::INSTALL_RESULT());
    }
    const std::string text = ReadFileBytes(path);
    const std::size_t named = text.find("Left for the next start (not put back): C:\\Apps\\ZR5048Em.exe\r\n");
    const std::size_t leftOutcome = text.find("Outcome: failed, what could not be put back is left for the next start");
    const std::size_t putBack = text.find("Outcome: failed, everything was put back\r\n");
    EXPECT_NE(named, std::string::npos) << text;
    EXPECT_LT(named, leftOutcome) << text;
    EXPECT_LT(leftOutcome, putBack) << text;
    EXPECT_NE(putBack, std::string::npos) << text;
}

}  // namespace
