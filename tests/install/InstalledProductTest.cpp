// The discovery operations together, against an imitation installation, as the dialog uses them.
#include <gtest/gtest.h>

#include "dialog/ZR5048VersionUpDlg.h"
#include "tests/support/ImitationInstallation.h"

namespace {

using zr::test::ImitationInstallation;

TEST(InstalledProduct, AnInstallationOf104InEnglishShowsAs104EN) {
    ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    CZR5048VersionUpDlg dialog;

    ASSERT_TRUE(dialog.FindInstallation());
    EXPECT_EQ(dialog.m_szInstallFolder, installed.Folder());
    EXPECT_EQ(dialog.m_szExePath, installed.ExePath());
    ASSERT_TRUE(dialog.GetInstalledVersion());
    const int language = dialog.ReadInstalledLanguage();

    EXPECT_STREQ(dialog.MakeDisplayedVersion(dialog.m_strInstalledVersion, language), "1.04(EN)");
}

TEST(InstalledProduct, ARegistrationWithoutTrailingBackslashFindsAFolderWithoutVersion) {
    ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    // The same folder registered without its last backslash, ahead of the proper one.
    const std::string excel = installed.Folder() + "EXCEL";
    zr::test::FoldersKey& key = installed.Registry();
    ASSERT_TRUE(key.RemoveKey());
    ASSERT_TRUE(key.Add(excel));
    ASSERT_TRUE(key.Add(excel + "\\"));
    CZR5048VersionUpDlg dialog;

    ASSERT_TRUE(dialog.FindInstallation());
    EXPECT_EQ(dialog.m_szInstallFolder + std::string("\\"), installed.Folder());
    EXPECT_FALSE(dialog.GetInstalledVersion());
    EXPECT_STREQ(dialog.m_strInstalledVersion, "");
}

TEST(InstalledProduct, WithoutLanguageIniTheInstallationIsJapanese) {
    ImitationInstallation installed("1.12.0.0", 3);
    ASSERT_TRUE(installed.Ok());
    CZR5048VersionUpDlg dialog;
    ASSERT_TRUE(dialog.FindInstallation());
    EXPECT_EQ(dialog.ReadInstalledLanguage(), 3);

    ASSERT_TRUE(installed.WriteLanguageIni(nullptr));
    EXPECT_EQ(dialog.ReadInstalledLanguage(), 0);
}

}  // namespace
