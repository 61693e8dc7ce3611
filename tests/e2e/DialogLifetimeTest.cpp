// The real tool started beside a package: its dialog comes up with the package's version, and each
// way of closing it ends the process without writing anything.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using zr::test::ProductProcess;
using zr::test::ScratchFolder;

void WritePackage(const ScratchFolder& work, const char* version, int language) {
    ASSERT_TRUE(zr::test::WriteSamplePackage(work, version, language));
}

TEST(JapaneseDialog, OpensWithTheTemplateAndThePackagesVersion) {
    ScratchFolder work;
    WritePackage(work, "1.05", 1);
    ProductProcess tool(work.Path());
    ASSERT_TRUE(tool.Started()) << zr::test::ProductExePath();
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(zr::test::ClassName(dialog), L"#32770");
    EXPECT_EQ(zr::test::WindowText(dialog), L"ZR5048バージョンアップ");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_VERSION), L"1.05(EN)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDCANCEL), L"終了(&X)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_EXECUTE), L"実行(&E)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_LABEL), L"インストールされているバージョン");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_LABEL), L"更新されるバージョン");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));
    zr::test::SaveScreenshot("dialog-japanese");

    zr::test::PressKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(tool.WaitForExit());
}

TEST(JapaneseDialog, WithoutAPackageTheUpdateDisplayShowsOnlyParentheses) {
    ScratchFolder work;
    ProductProcess tool(work.Path());
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_VERSION), L"()");
    zr::test::PressKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(tool.WaitForExit());
}

enum class Closing { Escape, ExitButton, CloseBox };

class DialogLifetime : public ::testing::TestWithParam<Closing> {};

TEST_P(DialogLifetime, ClosingEndsTheProcessAndWritesNothing) {
    ScratchFolder work;
    WritePackage(work, "1.05", 1);
    const auto before = zr::test::SnapshotFolder(work.Path());
    ProductProcess tool(work.Path());
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);

    switch (GetParam()) {
        case Closing::Escape:
            zr::test::PressKey(dialog, VK_ESCAPE);
            break;
        case Closing::ExitButton:
            ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
            break;
        case Closing::CloseBox:
            ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
    }
    ASSERT_TRUE(tool.WaitForExit());
    EXPECT_EQ(zr::test::SnapshotFolder(work.Path()), before);
}

std::string ClosingName(const ::testing::TestParamInfo<Closing>& info) {
    const char* const names[] = {"Escape", "ExitButton", "CloseBox"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Closing,
                         DialogLifetime,
                         ::testing::Values(Closing::Escape, Closing::ExitButton, Closing::CloseBox),
                         ClosingName);

TEST(DialogLifetime, TwoCopiesRunSideBySide) {
    ScratchFolder work;
    WritePackage(work, "1.05", 1);
    ProductProcess first(work.Path());
    ProductProcess second(work.Path());
    HWND one = first.WaitForDialog();
    HWND two = second.WaitForDialog();
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    zr::test::PressKey(one, VK_ESCAPE);
    ASSERT_TRUE(first.WaitForExit());
    EXPECT_TRUE(::IsWindow(two));
    zr::test::PressKey(two, VK_ESCAPE);
    EXPECT_TRUE(second.WaitForExit());
}

}  // namespace
