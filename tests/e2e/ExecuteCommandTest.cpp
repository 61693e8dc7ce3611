// The Execute command on the real tool, driven like a user: the running check at every click, the
// confirmation, the update and its result message, in both languages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/RunningProduct.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WindowsDllSearchOrder.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using zr::test::ProductProcess;
using zr::test::ScratchFolder;

struct Texts {
    const wchar_t* running;
    const wchar_t* confirm;
    const wchar_t* succeeded;
    const wchar_t* failed;
};

const Texts kEnglish = {L"[ZR5048 Emulation Software] Execute. \nPlease terminate and re-try this.",
                        L"Are you sure to version-up?", L"Version up finished.", L"Version up failure."};
const Texts kJapanese = {L"ZR5048エミュレーションが起動中です。\n一度終了してから本プログラムを再実行してください。",
                         L"バージョンアップをしますがよろしいですか？", L"バージョンアップ完了",
                         L"バージョンアップ失敗"};

// The message box's text: its one static control with text.
std::wstring MessageText(HWND box) {
    std::wstring found;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (zr::test::ClassName(child) == L"Static" && !zr::test::WindowText(child).empty())
            found = zr::test::WindowText(child);
    }
    return found;
}

// Waits for the next message box, checks its caption and text, and answers it with `button`.
void Answer(ProductProcess& tool, const wchar_t* text, int button) {
    HWND box = tool.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(zr::test::WindowText(box), L"ZR5048VersionUp");  // the executable's base name
    EXPECT_EQ(MessageText(box), text);
    HWND answer = ::GetDlgItem(box, button);
    ASSERT_NE(answer, nullptr) << "no button " << button;
    if (button == IDYES) {
        EXPECT_NE(::GetDlgItem(box, IDNO), nullptr);
    }
    ::PostMessageW(answer, BM_CLICK, 0, 0);
    for (int i = 0; i < 200 && ::IsWindow(box); ++i)
        ::Sleep(25);
}

class ExecuteFixture {
  public:
    explicit ExecuteFixture(REGSAM view = 0) : installed("1.4.0.0", 1, view) {
        zr::PackageContents contents;
        contents.version = "1.05";
        contents.language = 1;
        contents.entries.push_back({"EXCEL\\Report.xls", "", "new report"});
        contents.entries.push_back({"Images\\Logo.bmp", "", "new logo"});
        contents.entries.push_back({"ReadMe.txt", "", "new readme"});
        zr::test::WriteFileBytes(work / "vupcab", zr::BuildPackageBytes(contents));
        zr::test::WriteFileBytes(installed.Folder() + "EXCEL\\Report.xls", "old report");
    }
    void Click(HWND dialog) { ::PostMessageW(::GetDlgItem(dialog, IDC_EXECUTE), BM_CLICK, 0, 0); }

    zr::test::ImitationInstallation installed;
    ScratchFolder work;
};

void UpdateSucceeds(const Texts& texts, REGSAM view = 0) {
    ExecuteFixture f(view);
    ASSERT_TRUE(f.installed.Ok());
    ProductProcess tool(f.work.Path());
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    f.Click(dialog);
    Answer(tool, texts.confirm, IDYES);
    Answer(tool, texts.succeeded, IDOK);

    EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "EXCEL\\Report.xls"), "new report");
    EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "Images\\Logo.bmp"), "new logo");
    EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "ReadMe.txt"), "new readme");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"1.05(EN)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_VERSION), L"1.05(EN)");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));
    // Only the package remains in the working directory: no Working file is left behind.
    const auto left = zr::test::SnapshotFolder(f.work.Path());
    EXPECT_EQ(left.size(), 1u);
    EXPECT_EQ(left.count("vupcab"), 1u);

    zr::test::PressKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(tool.WaitForExit());
}

void RunningProductIsRefusedAtEveryClick(const Texts& texts) {
    ExecuteFixture f;
    ASSERT_TRUE(f.installed.Ok());
    const auto before = zr::test::SnapshotFolder(f.installed.Folder());
    ProductProcess tool(f.work.Path());
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);

    // Started after the tool opened: still seen, since the test runs at the click.
    zr::test::RunningProduct product;
    ASSERT_TRUE(product.Ready());
    f.Click(dialog);
    Answer(tool, texts.running, IDOK);
    EXPECT_EQ(zr::test::SnapshotFolder(f.installed.Folder()), before);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    product.End();
    f.Click(dialog);
    Answer(tool, texts.confirm, IDNO);
    EXPECT_EQ(zr::test::SnapshotFolder(f.installed.Folder()), before);
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"1.04(EN)");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    zr::test::PressKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(tool.WaitForExit());
}

void PackageRemovedAfterStartFails(const Texts& texts) {
    ExecuteFixture f;
    ASSERT_TRUE(f.installed.Ok());
    const auto before = zr::test::SnapshotFolder(f.installed.Folder());
    ProductProcess tool(f.work.Path());
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);

    ASSERT_TRUE(::DeleteFileA((f.work / "vupcab").c_str()));
    f.Click(dialog);
    Answer(tool, texts.confirm, IDYES);
    Answer(tool, texts.failed, IDOK);
    EXPECT_EQ(zr::test::SnapshotFolder(f.installed.Folder()), before);
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"1.04(EN)");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    zr::test::PressKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(tool.WaitForExit());
}

TEST(EnglishDialog, ExecuteUpdatesAndReportsSuccess) {
    UpdateSucceeds(kEnglish);
}
TEST(JapaneseDialog, ExecuteUpdatesAndReportsSuccess) {
    UpdateSucceeds(kJapanese);
}
// The shipped 32-bit tool on 64-bit Windows, with the installation registered where the Windows
// Installer puts it there: in the 64-bit registry view, which the tool's own view does not show.
TEST(EnglishDialog, ExecuteUpdatesAnInstallationRegisteredInThe64BitView) {
    if (!zr::test::RunsUnderWow64())
        GTEST_SKIP() << "one registry view only: a 32-bit prefix, or a 64-bit build";
    UpdateSucceeds(kEnglish, KEY_WOW64_64KEY);
}
TEST(EnglishDialog, ExecuteRefusesWhileTheProductRuns) {
    RunningProductIsRefusedAtEveryClick(kEnglish);
}
TEST(JapaneseDialog, ExecuteRefusesWhileTheProductRuns) {
    RunningProductIsRefusedAtEveryClick(kJapanese);
}
TEST(EnglishDialog, ExecuteReportsFailureWhenThePackageIsGone) {
    PackageRemovedAfterStartFails(kEnglish);
}
TEST(JapaneseDialog, ExecuteReportsFailureWhenThePackageIsGone) {
    PackageRemovedAfterStartFails(kJapanese);
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
TEST(EnglishDialog, TakesNoDllFromTheFolderItStartsFrom) {
    // What the tool loads by name after its entry.
    static const char* const kPlanted[] = {"uxtheme"};
    ExecuteFixture f;
    ASSERT_TRUE(f.installed.Ok());
    const char* fixtures = std::getenv("ZR_FIXTURES");
    ASSERT_NE(fixtures, nullptr);
    for (const char* dll : kPlanted) {
        ASSERT_TRUE(::CopyFileA((std::string(fixtures) + "\\planted\\marker.dll").c_str(),
                                (f.work / dll + ".dll").c_str(), FALSE));
    }
    const zr::test::WindowsDllSearchOrder searchOrder("ZR5048VersionUp.exe", {"uxtheme"});

    {
        ProductProcess tool(f.work.Path(), "ZR5048VersionUp.exe");
        HWND dialog = tool.WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        // Each planted name is one the tool really loads, from the system folder.
        const std::vector<std::string> modules = tool.LoadedModules();
        for (const char* dll : kPlanted) {
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
        Answer(tool, kEnglish.confirm, IDYES);
        Answer(tool, kEnglish.succeeded, IDOK);
        zr::test::PressKey(dialog, VK_ESCAPE);
        EXPECT_TRUE(tool.WaitForExit());
    }

    for (const auto& [name, bytes] : zr::test::SnapshotFolder(f.work.Path()))
        EXPECT_EQ(name.find(".marker"), std::string::npos) << name;
}

}  // namespace
