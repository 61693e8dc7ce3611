// The Execute command on the real tool, driven like a user: the running check at every click, the
// confirmation, the update and its result message, in both languages.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/RunningProduct.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

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
    // Only the package remains in the working directory: no Working file is left behind.
    const auto left = zr::test::SnapshotFolder(f.work.Path());
    EXPECT_EQ(left.size(), 1u);
    EXPECT_EQ(left.count("vupcab"), 1u);

    EXPECT_TRUE(tool.Closes());
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

}  // namespace
