// The Execute command on the real tool, driven like a user: the running check at every click, the
// confirmation, the update and its result message, in both languages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/FolderWatch.h"
#include "tests/support/HeldFile.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/RunningProduct.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/StandInRestartManager.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowsDllSearchOrder.h"

namespace {

using zr::test::ProductProcess;
using zr::test::ScratchFolder;
using EnglishDialog = zr::test::EnglishLocaleTest;
using JapaneseDialog = zr::test::JapaneseLocaleTest;

struct Texts {
    const wchar_t* running;
    const wchar_t* confirm;
    const wchar_t* succeeded;
    const wchar_t* failed;
};

const Texts ENGLISH_TEXTS = {L"[ZR5048 Emulation Software] Execute. \nPlease terminate and re-try this.",
                             L"Are you sure to version-up?", L"Version up finished.", L"Version up failure."};
const Texts JAPANESE_TEXTS = {
    L"ZR5048エミュレーションが起動中です。\n一度終了してから本プログラムを再実行してください。",
    L"バージョンアップをしますがよろしいですか？", L"バージョンアップ完了", L"バージョンアップ失敗"};

class ExecuteFixture {
  public:
    explicit ExecuteFixture(REGSAM view = 0) : installed("1.4.0.0", 1, view) {
        m_written =
            zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage("1.05", 1,
                                                                              {{"EXCEL\\Report.xls", "new report"},
                                                                               {"Images\\Logo.bmp", "new logo"},
                                                                               {"ReadMe.txt", "new readme"}})) &&
            zr::test::WriteFileBytes(installed.Folder() + "EXCEL\\Report.xls", "old report");
    }
    bool Ready() const { return m_written && installed.Ok(); }
    void Click(HWND dialog) { ::PostMessageW(::GetDlgItem(dialog, IDC_EXECUTE), BM_CLICK, 0, 0); }

    zr::test::ImitationInstallation installed;
    ScratchFolder work;

  private:
    bool m_written = false;
};

void UpdateSucceeds(const Texts& texts, REGSAM view = 0) {
    ExecuteFixture f(view);
    ASSERT_TRUE(f.Ready());
    ProductProcess tool(f.work.Path());
    ASSERT_TRUE(tool.Opens());
    HWND dialog = tool.Dialog();
    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    f.Click(dialog);
    ASSERT_TRUE(tool.Answers(texts.confirm, IDYES));
    ASSERT_TRUE(tool.Answers(texts.succeeded, IDOK));

    EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "EXCEL\\Report.xls"), "new report");
    EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "Images\\Logo.bmp"), "new logo");
    EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "ReadMe.txt"), "new readme");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"1.05(EN)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_VERSION), L"1.05(EN)");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));
    // Only the package remains in the start folder: the installer creates nothing there.
    const auto left = zr::test::SnapshotFolder(f.work.Path());
    EXPECT_EQ(left.size(), 1u);
    EXPECT_EQ(left.count("vupcab"), 1u);

    EXPECT_TRUE(tool.Closes(zr::test::Closing::ESCAPE, zr::test::CLOSED_AFTER_UPDATE));
}

void RunningProductIsRefusedAtEveryClick(const Texts& texts) {
    ExecuteFixture f;
    ASSERT_TRUE(f.Ready());
    const auto before = zr::test::SnapshotFolder(f.installed.Folder());
    ProductProcess tool(f.work.Path());
    ASSERT_TRUE(tool.Opens());
    HWND dialog = tool.Dialog();

    // Started after the tool opened: still seen, since the test runs at the click.
    zr::test::RunningProduct product;
    ASSERT_TRUE(product.Ready());
    f.Click(dialog);
    ASSERT_TRUE(tool.Answers(texts.running, IDOK));
    EXPECT_EQ(zr::test::SnapshotFolder(f.installed.Folder()), before);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    product.End();
    f.Click(dialog);
    ASSERT_TRUE(tool.Answers(texts.confirm, IDNO));
    EXPECT_EQ(zr::test::SnapshotFolder(f.installed.Folder()), before);
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"1.04(EN)");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    EXPECT_TRUE(tool.Closes());
}

void PackageRemovedAfterStartFails(const Texts& texts) {
    ExecuteFixture f;
    ASSERT_TRUE(f.Ready());
    const auto before = zr::test::SnapshotFolder(f.installed.Folder());
    ProductProcess tool(f.work.Path());
    ASSERT_TRUE(tool.Opens());
    HWND dialog = tool.Dialog();

    ASSERT_TRUE(::DeleteFileA((f.work / "vupcab").c_str()));
    f.Click(dialog);
    ASSERT_TRUE(tool.Answers(texts.confirm, IDYES));
    ASSERT_TRUE(tool.Answers(texts.failed, IDOK));
    EXPECT_EQ(zr::test::SnapshotFolder(f.installed.Folder()), before);
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"1.04(EN)");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    EXPECT_TRUE(tool.Closes());
}

// The warning's lead, before the files and the programs.
const wchar_t* const IN_USE_ENGLISH = L"These files are used by another program. \nPlease close it and re-try this.\n";
const wchar_t* const IN_USE_JAPANESE =
    L"次のファイルを他のプログラムが使用中です。\nそのプログラムを終了してから再試行してください。\n";

// Another process holds the report, in each of three ways; the stand-in Restart Manager names it
// (Wine's own names nobody). The warning names the file and the program; Cancel leaves everything as
// it was and Execute enabled; Retry after the holder let go installs the package.
void AFileInUseIsNamedAndRetried(const Texts& texts, bool english) {
    for (const zr::test::Hold how :
         {zr::test::Hold::READ_SHARING, zr::test::Hold::READ_WRITE_SHARING, zr::test::Hold::BYTE_RANGE_LOCK}) {
        SCOPED_TRACE(zr::test::HoldName(how));
        ExecuteFixture f;
        ASSERT_TRUE(f.Ready());
        const std::string report = f.installed.Folder() + "EXCEL\\Report.xls";
        zr::test::HeldFile held(report, how);
        ASSERT_TRUE(held.Holding());
        zr::test::StandInRestartManager standIn(report + "|" + std::to_string(held.ProcessId()) + "|Spreadsheet");
        ASSERT_TRUE(standIn.Ready());
        const auto before = zr::test::SnapshotFolder(f.installed.Folder());
        zr::test::FolderWatch watch(f.installed.Folder());
        ASSERT_TRUE(watch.Watching());
        ProductProcess tool(f.work.Path());
        ASSERT_TRUE(tool.Opens());
        HWND dialog = tool.Dialog();
        const std::wstring warning = std::wstring(english ? IN_USE_ENGLISH : IN_USE_JAPANESE) +
                                     L"\nEXCEL\\Report.xls\n\n" + (english ? L"Program: " : L"使用中のプログラム: ") +
                                     L"Spreadsheet (" + std::to_wstring(held.ProcessId()) + L")";

        f.Click(dialog);
        ASSERT_TRUE(tool.Answers(texts.confirm, IDYES));
        if (how == zr::test::Hold::READ_SHARING) {
            ASSERT_NE(tool.WaitForMessageBox(), nullptr);
            ::Sleep(300);  // drawn
            zr::test::SaveScreenshot(english ? "files-in-use-english" : "files-in-use-japanese");
        }
        ASSERT_TRUE(tool.Answers(warning.c_str(), IDCANCEL));
        EXPECT_EQ(zr::test::SnapshotFolder(f.installed.Folder()), before);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDCANCEL)));
        EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"1.04(EN)");
        for (const std::string& change : watch.Changes())
            EXPECT_EQ(change.find("zr~"), std::string::npos) << change;

        // Asked again while still held, then retried once the holder has let go.
        f.Click(dialog);
        ASSERT_TRUE(tool.Answers(texts.confirm, IDYES));
        ASSERT_NE(tool.WaitForMessageBox(), nullptr);
        held.LetGo();
        ASSERT_TRUE(tool.Answers(warning.c_str(), IDRETRY));
        ASSERT_TRUE(tool.Answers(texts.succeeded, IDOK));
        EXPECT_EQ(zr::test::ReadFileBytes(report), "new report");
        EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "Images\\Logo.bmp"), "new logo");
        EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "ReadMe.txt"), "new readme");
        EXPECT_TRUE(tool.Closes(zr::test::Closing::ESCAPE, zr::test::CLOSED_AFTER_UPDATE));
    }
}

TEST_F(EnglishDialog, AFileInUseIsNamedAndTheUpdateRetriedOrLeft) {
    AFileInUseIsNamedAndRetried(ENGLISH_TEXTS, true);
}
TEST_F(JapaneseDialog, AFileInUseIsNamedAndTheUpdateRetriedOrLeft) {
    AFileInUseIsNamedAndRetried(JAPANESE_TEXTS, false);
}

TEST_F(EnglishDialog, ExecuteUpdatesAndReportsSuccess) {
    ASSERT_NO_FATAL_FAILURE(UpdateSucceeds(ENGLISH_TEXTS));
}
TEST_F(JapaneseDialog, ExecuteUpdatesAndReportsSuccess) {
    ASSERT_NO_FATAL_FAILURE(UpdateSucceeds(JAPANESE_TEXTS));
}
// The shipped 32-bit tool on 64-bit Windows, with the installation registered where the Windows
// Installer puts it there: in the 64-bit registry view, which the tool's own view does not show.
TEST_F(EnglishDialog, ExecuteUpdatesAnInstallationRegisteredInThe64BitView) {
    if (!zr::test::RunsUnderWow64())
        GTEST_SKIP() << "one registry view only: a 32-bit prefix, or a 64-bit build";
    ASSERT_NO_FATAL_FAILURE(UpdateSucceeds(ENGLISH_TEXTS, KEY_WOW64_64KEY));
}
TEST_F(EnglishDialog, ExecuteRefusesWhileTheProductRuns) {
    ASSERT_NO_FATAL_FAILURE(RunningProductIsRefusedAtEveryClick(ENGLISH_TEXTS));
}
TEST_F(JapaneseDialog, ExecuteRefusesWhileTheProductRuns) {
    ASSERT_NO_FATAL_FAILURE(RunningProductIsRefusedAtEveryClick(JAPANESE_TEXTS));
}
TEST_F(EnglishDialog, ExecuteReportsFailureWhenThePackageIsGone) {
    ASSERT_NO_FATAL_FAILURE(PackageRemovedAfterStartFails(ENGLISH_TEXTS));
}
TEST_F(JapaneseDialog, ExecuteReportsFailureWhenThePackageIsGone) {
    ASSERT_NO_FATAL_FAILURE(PackageRemovedAfterStartFails(JAPANESE_TEXTS));
}

// The user starts the tool from the folder that holds it and the package, typically a download folder,
// where anyone may have left DLLs named like those the tool loads. None of them may ever be loaded:
// the tool is started there under Windows' search order for each (see WindowsDllSearchOrder), shown,
// made to install, and closed.
//
// Two DLLs are out of the tool's reach under Wine and are not planted: Wine's own user32.dll imports
// version.dll and imm32.dll, so they are loaded before the tool's first instruction (on Windows imm32.dll
// is a KnownDLL and user32 does not import version.dll); the same holds for Wine's own helpers sechost,
// ucrtbase, zlib1 and win32u. The tool also comes to hold ole32, combase and rpcrt4 after its entry:
// Wine resolves the imports between its own DLLs with the program's folder first, whatever the
// process's DLL search says (a planted ole32.dll is taken as combase's import), where Windows applies
// that search to dependencies too, and all three are KnownDLLs on Windows. The executable's own
// imports (kernel32, user32, gdi32, advapi32, msvcrt) are KnownDLLs on Windows as well.
TEST_F(EnglishDialog, TakesNoDllFromTheFolderItStartsFrom) {
    // What the tool loads by name after its entry.
    static const char* const PLANTED[] = {"uxtheme"};
    ExecuteFixture f;
    ASSERT_TRUE(f.Ready());
    const std::string fixtures = zr::test::RequiredPath("ZR_FIXTURES");
    for (const char* dll : PLANTED) {
        ASSERT_TRUE(::CopyFileA((fixtures + "\\planted\\marker.dll").c_str(), (f.work / dll + ".dll").c_str(), FALSE));
    }
    const zr::test::WindowsDllSearchOrder searchOrder("ZR5048VersionUp.exe", {"uxtheme"});

    {
        ProductProcess tool(f.work.Path(), "ZR5048VersionUp.exe");
        ASSERT_TRUE(tool.Opens());
        HWND dialog = tool.Dialog();
        // Each planted name is one the tool really loads, from the system folder.
        const std::vector<std::string> modules = tool.LoadedModules();
        for (const char* dll : PLANTED) {
            const std::string name = std::string("\\") + dll + ".dll";
            EXPECT_TRUE(std::any_of(modules.begin(), modules.end(),
                                    [&](const std::string& path) {
                                        return path.size() > name.size() &&
                                               path.compare(path.size() - name.size(), name.size(), name) == 0 &&
                                               path.find("\\system32\\") != std::string::npos;
                                    }))
                << dll << " is not loaded from the system folder";
        }
        f.Click(dialog);
        ASSERT_TRUE(tool.Answers(ENGLISH_TEXTS.confirm, IDYES));
        ASSERT_TRUE(tool.Answers(ENGLISH_TEXTS.succeeded, IDOK));
        EXPECT_TRUE(tool.Closes(zr::test::Closing::ESCAPE, zr::test::CLOSED_AFTER_UPDATE));
    }

    for (const auto& [name, bytes] : zr::test::SnapshotFolder(f.work.Path()))
        EXPECT_EQ(name.find(".marker"), std::string::npos) << name;
}

}  // namespace
