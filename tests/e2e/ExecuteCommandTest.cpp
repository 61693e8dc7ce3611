// The Execute command on the real tool, driven like a user: the running check at every click, the
// confirmation, the update and its result message, in both languages.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/RunningProduct.h"
#include "tests/support/ScratchFolder.h"
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

}  // namespace
