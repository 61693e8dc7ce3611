// The window stays alive during a long update: while the dialog updates 1 x 512 MiB and 40 x 8 MiB,
// this process asks it for a WM_NULL every 50 ms, and tries to close it meanwhile. And the window of
// /passive: its look in both languages and its progress bar reaching its end.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "res/resource.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using zr::test::ProductProcess;
using zr::test::ScratchFolder;
using EnglishDialog = zr::test::EnglishLocaleTest;
using JapaneseDialog = zr::test::JapaneseLocaleTest;

// A file of `size` bytes of `fill`, written a MiB at a time: a 32-bit test process cannot hold 512 MiB.
bool WriteLargeFile(const std::string& path, std::size_t size, char fill) {
    zr::ScopedFile file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    const std::string chunk(1u << 20, fill);
    for (std::size_t written = 0; written < size; written += chunk.size()) {
        if (std::fwrite(chunk.data(), 1, chunk.size(), file.get()) != chunk.size())
            return false;
    }
    return true;
}

// A package of 1.05 (English) of `count` entries of `size` bytes each, streamed from source files.
::testing::AssertionResult LargePackage(const std::string& packagePath,
                                        const ScratchFolder& sources,
                                        int count,
                                        std::size_t size) {
    zr::PackageContents contents;
    contents.version = "1.05";
    contents.language = 1;
    for (int i = 0; i < count; ++i) {
        const std::string source = sources / std::to_string(i);
        if (!WriteLargeFile(source, size, static_cast<char>('A' + i % 26)))
            return ::testing::AssertionFailure() << "cannot write " << source;
        contents.entries.push_back({"EXCEL\\Large" + std::to_string(i) + ".xls", source, ""});
    }
    std::string error;
    if (!zr::WritePackage(contents, packagePath, &error))
        return ::testing::AssertionFailure() << error;
    for (int i = 0; i < count; ++i)
        ::DeleteFileA((sources / std::to_string(i)).c_str());
    return ::testing::AssertionSuccess();
}

struct Watch {
    DWORD longestAnswerMs = 0;
    int answers = 0;
    int hung = 0;
    int closeAttempts = 0;
    bool buttonsDisabledThroughout = true;
};

// From the confirmation until the outcome message: WM_NULL every 50 ms, and now and then Esc, the close
// box or the Exit button, none of which may end the dialog.
HWND WatchTheUpdate(ProductProcess& tool, Watch* watch) {
    HWND dialog = tool.Dialog();
    for (int round = 0;; ++round) {
        if (HWND box = tool.WaitForMessageBox(0))
            return box;
        if (!::IsWindow(dialog) || tool.WaitForExit(0))
            return nullptr;
        const DWORD start = ::GetTickCount();
        DWORD_PTR result = 0;
        const bool answered = ::SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
        const DWORD took = ::GetTickCount() - start;
        if (answered) {
            ++watch->answers;
            if (took > watch->longestAnswerMs)
                watch->longestAnswerMs = took;
        } else {
            watch->longestAnswerMs = 5000;
        }
        if (::IsHungAppWindow(dialog))
            ++watch->hung;
        if (tool.WaitForMessageBox(0))
            continue;
        if (::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)) || ::IsWindowEnabled(::GetDlgItem(dialog, IDCANCEL)))
            watch->buttonsDisabledThroughout = false;
        switch (round % 4) {
            case 1:
                zr::test::PressKey(dialog, VK_ESCAPE);
                ++watch->closeAttempts;
                break;
            case 2:
                ::SendMessageTimeoutW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, 5000, &result);
                ++watch->closeAttempts;
                break;
            case 3:
                ::SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                      reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDCANCEL)), SMTO_NORMAL, 5000,
                                      &result);
                ++watch->closeAttempts;
                break;
            default:
                break;
        }
        ::Sleep(50);
    }
}

void DialogAnswersThroughout(int count, std::size_t size) {
    SCOPED_TRACE(std::to_string(count) + " x " + std::to_string(size >> 20) + " MiB");
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    ScratchFolder work;
    {
        // The sources on the tmpfs drive, so that building the package costs little disk.
        ScratchFolder sources(ScratchFolder::Under{"Y:\\"});
        ASSERT_FALSE(sources.Path().empty());
        ASSERT_TRUE(LargePackage(work / "vupcab", sources, count, size));
    }
    ProductProcess tool(work.Path());
    ASSERT_TRUE(tool.Opens());
    HWND dialog = tool.Dialog();
    ::PostMessageW(::GetDlgItem(dialog, IDC_EXECUTE), BM_CLICK, 0, 0);
    ASSERT_TRUE(tool.Answers(L"Are you sure to version-up?", IDYES));

    Watch watch;
    const DWORD start = ::GetTickCount();
    HWND box = WatchTheUpdate(tool, &watch);
    const DWORD duration = ::GetTickCount() - start;
    ASSERT_NE(box, nullptr) << "the dialog ended before the update did";
    std::printf("%d x %u MiB: %lu ms, %d answers, the longest %lu ms, %d close attempts\n", count,
                static_cast<unsigned>(size >> 20), duration, watch.answers, watch.longestAnswerMs, watch.closeAttempts);
    EXPECT_LT(watch.longestAnswerMs, 200u);
    EXPECT_EQ(watch.hung, 0) << "reported as not responding";
    EXPECT_TRUE(watch.buttonsDisabledThroughout) << "Execute and Exit are disabled while the update runs";
    EXPECT_GT(watch.closeAttempts, 0) << "the update was over too soon to try closing the dialog";
    ASSERT_TRUE(tool.Answers(L"Version up finished.", IDOK));
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"1.05(EN)");
    EXPECT_TRUE(tool.Closes(zr::test::Closing::ESCAPE, zr::test::CLOSED_AFTER_UPDATE));
}

TEST_F(EnglishDialog, AnswersWithin200MsThroughoutALargeUpdate) {
    // The bound and the close attempts that race the outcome message are times a user waits on a
    // real processor; under qemu-user each answer takes the emulator's time, not the tool's. The
    // 64-bit run and 32-bit runs on a processor that executes them check all of it.
    if (zr::test::RunsOnAnEmulatedCpu())
        GTEST_SKIP() << "the processor is emulated (qemu-user): the 200 ms bound measures the emulator";
    ASSERT_NO_FATAL_FAILURE(DialogAnswersThroughout(1, 512u << 20));
    ASSERT_NO_FATAL_FAILURE(DialogAnswersThroughout(40, 8u << 20));
}

struct PassiveTexts {
    const wchar_t* caption;
    const wchar_t* installedLabel;
    const wchar_t* updateLabel;
    const char* screenshot;
};

void PassiveShowsTheProgressToItsEnd(const PassiveTexts& texts) {
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    ScratchFolder work;
    {
        ScratchFolder sources(ScratchFolder::Under{"Y:\\"});
        ASSERT_FALSE(sources.Path().empty());
        ASSERT_TRUE(LargePackage(work / "vupcab", sources, 24, 8u << 20));
    }
    ProductProcess tool(work.Path(), "", "/passive");
    HWND window = tool.WaitForDialog();
    ASSERT_NE(window, nullptr) << "no progress window";
    EXPECT_EQ(zr::test::WindowText(window), texts.caption);
    EXPECT_EQ(zr::test::ControlText(window, IDC_PASSIVE_INSTALLED_LABEL), texts.installedLabel);
    EXPECT_EQ(zr::test::ControlText(window, IDC_PASSIVE_UPDATE_LABEL), texts.updateLabel);
    EXPECT_EQ(zr::test::ControlText(window, IDC_PASSIVE_INSTALLED_VERSION), L"1.04(EN)");
    EXPECT_EQ(zr::test::ControlText(window, IDC_PASSIVE_UPDATE_VERSION), L"1.05(EN)");
    EXPECT_EQ(::GetDlgItem(window, IDCANCEL), nullptr) << "no button: nothing to answer";
    HWND bar = ::GetDlgItem(window, IDC_PASSIVE_PROGRESS);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(zr::test::ClassName(bar), L"msctls_progress32");

    bool shot = false;
    DWORD highest = 0;
    bool backwards = false;
    while (::IsWindow(window) && !tool.WaitForExit(0)) {
        DWORD_PTR position = 0;
        if (::SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 2000, &position)) {
            backwards |= position < highest;
            if (position > highest)
                highest = static_cast<DWORD>(position);
        }
        if (!shot && highest > 100) {
            zr::test::SaveScreenshot(texts.screenshot);
            shot = true;
        }
        // The close box does nothing: the window closes itself.
        ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        ::Sleep(20);
    }
    ASSERT_TRUE(tool.WaitForExit(60000));
    EXPECT_EQ(tool.ExitCode(), 0u);
    EXPECT_TRUE(shot) << "the window was gone before a screen shot";
    EXPECT_EQ(highest, 1000u) << "the bar reaches its end";
    EXPECT_FALSE(backwards);
    EXPECT_EQ(zr::test::ReadFileBytes(installed.Folder() + "EXCEL\\Large0.xls").size(), 8u << 20);
}

TEST_F(EnglishDialog, PassiveWindowShowsTheProgressToItsEnd) {
    ASSERT_NO_FATAL_FAILURE(PassiveShowsTheProgressToItsEnd(
        {L"ZR5048 Version up", L"Installed version.", L"Update version.", "passive-english"}));
}
TEST_F(JapaneseDialog, PassiveWindowShowsTheProgressToItsEnd) {
    ASSERT_NO_FATAL_FAILURE(PassiveShowsTheProgressToItsEnd(
        {L"ZR5048バージョンアップ", L"インストールされているバージョン", L"更新されるバージョン", "passive-japanese"}));
}

}  // namespace
