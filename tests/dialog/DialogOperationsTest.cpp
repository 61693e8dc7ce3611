// The dialog's operations as the startup evaluation uses them: each fills the members it owns from
// the work done below it, against an imitation installation and real package files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/DialogUnderTest.h"
#include "tests/support/FoldersKey.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"

namespace {

using zr::test::DialogUnderTest;
using zr::test::ImitationInstallation;
using zr::test::ScratchFolder;

TEST(InstalledProduct, AnInstallationOf104InEnglishShowsAs104EN) {
    ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    DialogUnderTest dialog;

    ASSERT_TRUE(dialog.FindInstallation());
    EXPECT_EQ(dialog.m_szInstallFolder, installed.Folder());
    EXPECT_EQ(dialog.m_szExePath, installed.ExePath());
    EXPECT_EQ(dialog.m_szLanguageIni, installed.Folder() + "Language.ini");
    ASSERT_TRUE(dialog.GetInstalledVersion());
    const int language = dialog.ReadInstalledLanguage();
    // The Language.ini value arrives in the dialog's work buffer.
    EXPECT_STREQ(dialog.m_szWork, "1");

    EXPECT_STREQ(dialog.MakeDisplayedVersion(dialog.m_strInstalledVersion, language), "1.04(EN)");
}

TEST(InstalledProduct, NoInstallationLeavesThePathsAsTheyWere) {
    zr::test::FoldersKey key;
    ASSERT_TRUE(key.RemoveKey());
    DialogUnderTest dialog;
    std::strcpy(dialog.m_szInstallFolder, "keep");
    std::strcpy(dialog.m_szExePath, "keep");
    std::strcpy(dialog.m_szLanguageIni, "keep");

    EXPECT_FALSE(dialog.FindInstallation());
    EXPECT_STREQ(dialog.m_szInstallFolder, "keep");
    EXPECT_STREQ(dialog.m_szExePath, "keep");
    EXPECT_STREQ(dialog.m_szLanguageIni, "keep");
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
    DialogUnderTest dialog;

    ASSERT_TRUE(dialog.FindInstallation());
    EXPECT_EQ(dialog.m_szInstallFolder + std::string("\\"), installed.Folder());
    EXPECT_FALSE(dialog.GetInstalledVersion());
    EXPECT_STREQ(dialog.m_strInstalledVersion, "");
}

TEST(InstalledProduct, WithoutLanguageIniTheInstallationIsJapanese) {
    ImitationInstallation installed("1.12.0.0", 3);
    ASSERT_TRUE(installed.Ok());
    DialogUnderTest dialog;
    ASSERT_TRUE(dialog.FindInstallation());
    EXPECT_EQ(dialog.ReadInstalledLanguage(), 3);

    ASSERT_TRUE(installed.WriteLanguageIni(nullptr));
    EXPECT_EQ(dialog.ReadInstalledLanguage(), 0);
}

TEST(UpdatePackage, TheHeaderFillsVersionAndLanguage) {
    ScratchFolder work(/*enter=*/true);
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage("1.05", 2)));
    DialogUnderTest dialog;

    dialog.ReadPackageHeader();

    EXPECT_STREQ(dialog.m_strUpdateVersion, "1.05");
    EXPECT_EQ(dialog.m_nPackageLanguage, 2);
}

TEST(UpdatePackage, MissingPackageLeavesBothFieldsAsTheyWere) {
    ScratchFolder work(/*enter=*/true);
    DialogUnderTest dialog;
    dialog.m_strUpdateVersion = "keep";
    dialog.m_nPackageLanguage = 7;

    dialog.ReadPackageHeader();

    EXPECT_STREQ(dialog.m_strUpdateVersion, "keep");
    EXPECT_EQ(dialog.m_nPackageLanguage, 7);
}

TEST(UpdatePackage, NewDialogHasNoVersionAndALanguageWithoutName) {
    DialogUnderTest dialog;
    EXPECT_STREQ(dialog.m_strUpdateVersion, "");
    EXPECT_EQ(dialog.GetLanguageName(dialog.m_nPackageLanguage), nullptr);
    EXPECT_STREQ(dialog.MakeDisplayedVersion(dialog.m_strUpdateVersion, dialog.m_nPackageLanguage), "()");
}

TEST(DisplayedVersion, NamesTheFourLanguagesAndLeavesOthersEmpty) {
    DialogUnderTest dialog;
    const struct {
        int code;
        const char* shown;
    } cases[] = {{0, "1.05(JA)"}, {1, "1.05(EN)"}, {2, "1.05(CH)"}, {3, "1.05(KO)"},
                 {4, "1.05()"},   {15, "1.05()"},  {-1, "1.05()"},  {16, "1.05()"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_STREQ(dialog.MakeDisplayedVersion("1.05", c.code), c.shown);
    }
}

}  // namespace
