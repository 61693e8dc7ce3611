// The end of an update is never hidden or misreported: a quit message or the session's end arriving
// during the update (40 x 8 MiB) waits for it and exits with the code of what happened, and keys typed
// throughout the update (real keyboard input to the foreground) do not answer the outcome message.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/ScopedHandle.h"
#include "res/resource.h"
#include "tests/support/FolderWatch.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/IntrudingFile.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using zr::test::ProductProcess;
using zr::test::ScratchFolder;

constexpr int ENTRIES = 40;
constexpr std::size_t ENTRY_SIZE = 8u << 20;

// 1.05 (English), 40 entries of 8 MiB each, streamed from source files on the tmpfs drive.
::testing::AssertionResult LargePackage(const std::string& packagePath) {
    ScratchFolder sources(ScratchFolder::Under{"Y:\\"});
    if (sources.Path().empty())
        return ::testing::AssertionFailure() << "no folder on Y:";
    zr::PackageContents contents;
    contents.version = "1.05";
    contents.language = 1;
    const std::string chunk(1u << 20, 'N');
    for (int i = 0; i < ENTRIES; ++i) {
        const std::string source = sources / std::to_string(i);
        zr::ScopedFile file(std::fopen(source.c_str(), "wb"));
        for (std::size_t written = 0; file && written < ENTRY_SIZE; written += chunk.size())
            std::fwrite(chunk.data(), 1, chunk.size(), file.get());
        if (!file || std::fclose(file.release()) != 0)
            return ::testing::AssertionFailure() << "cannot write " << source;
        contents.entries.push_back({"EXCEL\\Large" + std::to_string(i) + ".xls", source, ""});
    }
    std::string error;
    if (!zr::WritePackage(contents, packagePath, &error))
        return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess();
}

// The installation's last file, for an update that goes through or, when `fails`, fails half way:
// then the file is new, and another program's file takes its name once the tool has begun writing,
// so renaming the new one in fails and everything is put back.
class LastFile {
  public:
    LastFile(const std::string& installFolder, bool fails)
        : m_intruder(installFolder + "EXCEL\\Large" + std::to_string(ENTRIES - 1) + ".xls"),
          m_watch(installFolder + "EXCEL", [this, fails](const std::string& change) {
              if (fails)
                  m_intruder.OnChange(change);
          }) {
        m_ok = m_watch.Watching() &&
               (fails ||
                zr::test::WriteFileBytes(installFolder + "EXCEL\\Large" + std::to_string(ENTRIES - 1) + ".xls", "old"));
    }
    bool Ok() const { return m_ok; }
    bool Taken() const { return m_intruder.Done(); }

  private:
    zr::test::IntrudeWhenStaged m_intruder;
    zr::test::FolderWatch m_watch;
    bool m_ok = false;
};

// Every entry in place with the package's size.
bool HoldsTheNewFiles(const std::string& folder) {
    for (int i = 0; i < ENTRIES; ++i) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!::GetFileAttributesExA((folder + "EXCEL\\Large" + std::to_string(i) + ".xls").c_str(),
                                    GetFileExInfoStandard, &data) ||
            data.nFileSizeLow != ENTRY_SIZE)
            return false;
    }
    return true;
}

// The texts answered are the English ones; the Japanese run skips these.
class UpdateEnd : public zr::test::EnglishLocaleTest {
  protected:
    static void SetUpTestSuite() { s_work = new ScratchFolder(); }
    static void TearDownTestSuite() {
        delete s_work;
        s_work = nullptr;
    }
    void SetUp() override {
        zr::test::EnglishLocaleTest::SetUp();
        if (IsSkipped())
            return;
        if (!zr::test::FileExists(*s_work / "vupcab")) {
            ASSERT_TRUE(LargePackage(*s_work / "vupcab"));
        }
    }
    static ScratchFolder* s_work;
};
ScratchFolder* UpdateEnd::s_work = nullptr;

struct QuitCase {
    int row;
    const char* arguments;
    UINT message;  // WM_QUIT to the dialog's thread, or WM_ENDSESSION to its window
    bool fails;    // another program's file takes a new file's name half way: the update is put back
    DWORD exitCode;
};

TEST_F(UpdateEnd, AQuitMessageWaitsForTheUpdateAndExitsWithWhatHappened) {
    const QuitCase cases[] = {
        {1, "", WM_QUIT, false, 0},         {2, "", WM_ENDSESSION, false, 0},
        {3, "", WM_QUIT, true, 1603},       {4, "", WM_ENDSESSION, true, 1603},
        {5, "/passive", WM_QUIT, false, 0}, {6, "/passive", WM_ENDSESSION, true, 1603},
    };
    for (const QuitCase& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        zr::test::ImitationInstallation installed("1.4.0.0", 1);
        ASSERT_TRUE(installed.Ok());
        // A file the update replaces, held by another program for its first moments: the update is
        // certainly still going on (waiting for the file) when the message comes, however fast the disk.
        const std::string first = installed.Folder() + "EXCEL\\Large0.xls";
        ASSERT_TRUE(zr::test::WriteFileBytes(first, "old"));
        LastFile last(installed.Folder(), c.fails);
        ASSERT_TRUE(last.Ok());
        const auto before = zr::test::SnapshotFolder(installed.Folder());
        zr::ScopedKernelHandle holder(
            ::CreateFileA(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.IsValid());
        const std::string logPath = *s_work / ("quit" + std::to_string(c.row) + ".log");
        ProductProcess tool(s_work->Path(), "", std::string(c.arguments) + " /log \"" + logPath + "\"");
        HWND window = nullptr;
        if (c.arguments[0] == '\0') {
            ASSERT_TRUE(tool.Opens());
            window = tool.Dialog();
            ::PostMessageW(::GetDlgItem(window, IDC_EXECUTE), BM_CLICK, 0, 0);
            ASSERT_TRUE(tool.Answers(L"Are you sure to version-up?", IDYES));
            window = tool.Dialog();
        } else {
            ASSERT_TRUE(tool.Started());
            window = tool.WaitForDialog();
            ASSERT_NE(window, nullptr) << "no progress window";
        }
        // A moment into the update, which takes seconds.
        ::Sleep(300);
        ASSERT_FALSE(tool.WaitForExit(0)) << "the update was over too soon to be interrupted";
        if (c.message == WM_QUIT)
            ASSERT_TRUE(::PostThreadMessageW(tool.ThreadId(), WM_QUIT, 0, 0));
        else
            ASSERT_TRUE(::PostMessageW(window, WM_ENDSESSION, TRUE, 0));
        // Let go well within the tool's wait for a held file, so that the update goes on.
        ::Sleep(200);
        holder.reset();
        ASSERT_TRUE(tool.WaitForExit(120000));
        EXPECT_EQ(tool.ExitCode(), c.exitCode);
        EXPECT_EQ(last.Taken(), c.fails);
        if (c.fails) {
            EXPECT_TRUE(zr::test::SnapshotFolder(installed.Folder()) == before)
                << "the installation is not the old one";
        } else {
            EXPECT_TRUE(HoldsTheNewFiles(installed.Folder()));
        }
        const std::string log = zr::test::ReadFileBytes(logPath);
        EXPECT_NE(log.find("during the update: waited for it to end"), std::string::npos) << log;
        EXPECT_NE(log.find(c.fails ? "Outcome: failed" : "Outcome: updated"), std::string::npos) << log;
        EXPECT_NE(log.find("Exit code: " + std::to_string(c.exitCode) + "\r\n"), std::string::npos) << log;
    }
}

// A key pressed and released as the keyboard would, to whichever window has the keyboard; Alt held
// around it when `alt`.
void TypeKey(WORD key, bool alt) {
    INPUT inputs[4] = {};
    UINT count = 0;
    const auto add = [&](WORD virtualKey, bool up) {
        inputs[count].type = INPUT_KEYBOARD;
        inputs[count].ki.wVk = virtualKey;
        inputs[count].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++count;
    };
    if (alt)
        add(VK_MENU, false);
    add(key, false);
    add(key, true);
    if (alt)
        add(VK_MENU, true);
    ::SendInput(count, inputs, sizeof(INPUT));
}

TEST_F(UpdateEnd, KeysTypedDuringTheUpdateDoNotAnswerItsOutcome) {
    const struct {
        int row;
        bool fails;
        const wchar_t* outcome;
    } cases[] = {
        {1, false, L"Version up finished."},
        {2, true, L"Version up failure."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        zr::test::ImitationInstallation installed("1.4.0.0", 1);
        ASSERT_TRUE(installed.Ok());
        // Held for the update's first moments, so that there is time to type however fast the disk.
        const std::string first = installed.Folder() + "EXCEL\\Large0.xls";
        ASSERT_TRUE(zr::test::WriteFileBytes(first, "old"));
        LastFile last(installed.Folder(), c.fails);
        ASSERT_TRUE(last.Ok());
        zr::ScopedKernelHandle holder(
            ::CreateFileA(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.IsValid());
        ProductProcess tool(s_work->Path());
        ASSERT_TRUE(tool.Opens());
        ::PostMessageW(::GetDlgItem(tool.Dialog(), IDC_EXECUTE), BM_CLICK, 0, 0);
        ASSERT_TRUE(tool.Answers(L"Are you sure to version-up?", IDYES));
        ::SetForegroundWindow(tool.Dialog());

        // Esc, Enter and Alt+F4 in turn, every few milliseconds, until the update has ended: the dialog
        // is disabled as the owner of the outcome message, just before that appears. (Watching for the
        // message itself would go on typing into it for as long as the look takes under Wine.)
        int typed = 0;
        for (const DWORD start = ::GetTickCount(); ::IsWindowEnabled(tool.Dialog()); ++typed) {
            ASSERT_FALSE(tool.WaitForExit(0)) << "the tool ended during the update, after " << typed << " keys";
            ASSERT_LT(::GetTickCount() - start, 120000u) << "the update did not end";
            TypeKey(typed % 3 == 0 ? VK_ESCAPE : typed % 3 == 1 ? VK_RETURN : VK_F4, typed % 3 == 2);
            ::Sleep(5);
            if (holder && ::GetTickCount() - start > 500)
                holder.reset();  // well within the tool's wait for a held file
        }
        EXPECT_GT(typed, 30) << "the update was too short to type into";
        HWND box = tool.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no outcome message";
        ::Sleep(1000);
        EXPECT_TRUE(::IsWindow(box) && ::IsWindowVisible(box)) << "the outcome message went unread";
        ASSERT_TRUE(tool.Answers(c.outcome, IDOK));
        EXPECT_TRUE(tool.Closes());
    }
}

}  // namespace
