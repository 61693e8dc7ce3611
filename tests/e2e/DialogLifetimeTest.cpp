// The real tool started beside a package: its dialog comes up with the package's version, and each
// way of closing it ends the process without writing anything.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using zr::test::Closing;
using zr::test::ProductProcess;
using zr::test::ScratchFolder;
using JapaneseDialog = zr::test::JapaneseLocaleTest;

::testing::AssertionResult WritePackage(const ScratchFolder& work) {
    if (!zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage()))
        return ::testing::AssertionFailure() << "cannot write " << (work / "vupcab");
    return ::testing::AssertionSuccess();
}

TEST_F(JapaneseDialog, OpensWithTheTemplateAndThePackagesVersion) {
    ScratchFolder work;
    ASSERT_TRUE(WritePackage(work));
    ProductProcess tool(work.Path());
    ASSERT_TRUE(tool.Opens());
    HWND dialog = tool.Dialog();

    EXPECT_EQ(zr::test::ClassName(dialog), L"#32770");
    EXPECT_EQ(zr::test::WindowText(dialog), L"ZR5048バージョンアップ");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_VERSION), L"1.05(EN)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDCANCEL), L"終了(&X)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_EXECUTE), L"実行(&E)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_LABEL), L"インストールされているバージョン");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_LABEL), L"更新されるバージョン");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));
    zr::test::SaveScreenshot("dialog-japanese");

    EXPECT_TRUE(tool.Closes());
}

TEST_F(JapaneseDialog, WithoutAPackageTheUpdateDisplayShowsOnlyParentheses) {
    ScratchFolder work;
    ProductProcess tool(work.Path());
    ASSERT_TRUE(tool.Opens());
    EXPECT_EQ(zr::test::ControlText(tool.Dialog(), IDC_UPDATE_VERSION), L"()");
    EXPECT_TRUE(tool.Closes());
}

class DialogLifetime : public ::testing::TestWithParam<Closing> {};

TEST_P(DialogLifetime, ClosingEndsTheProcessAndWritesNothing) {
    ScratchFolder work;
    ASSERT_TRUE(WritePackage(work));
    const auto before = zr::test::SnapshotFolder(work.Path());
    ProductProcess tool(work.Path());
    ASSERT_TRUE(tool.Opens());

    ASSERT_TRUE(tool.Closes(GetParam()));
    EXPECT_EQ(zr::test::SnapshotFolder(work.Path()), before);
}

std::string ClosingName(const ::testing::TestParamInfo<Closing>& info) {
    const char* const names[] = {"Escape", "ExitButton", "CloseBox", "AltX"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Closing,
                         DialogLifetime,
                         ::testing::Values(Closing::ESCAPE, Closing::EXIT_BUTTON, Closing::CLOSE_BOX),
                         ClosingName);

TEST(DialogLifetime, TwoCopiesRunSideBySide) {
    ScratchFolder work;
    ASSERT_TRUE(WritePackage(work));
    ProductProcess first(work.Path());
    ProductProcess second(work.Path());
    ASSERT_TRUE(first.Opens());
    ASSERT_TRUE(second.Opens());
    EXPECT_NE(first.Dialog(), second.Dialog());
    ASSERT_TRUE(first.Closes());
    EXPECT_TRUE(::IsWindow(second.Dialog()));
    EXPECT_TRUE(second.Closes());
}

}  // namespace
