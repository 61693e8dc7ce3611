// What the dialog and /passive show of an installation and a package: the free functions that find
// and read them, against an imitation installation and real package files, and the Displayed version.
#include <gtest/gtest.h>

#include <string>

#include "format/PackageHeader.h"
#include "product/FindInstallation.h"
#include "product/LanguageSettings.h"
#include "product/ProductVersion.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "update/DisplayedVersion.h"

namespace {

using namespace zr;

using zr::test::ImitationInstallation;
using zr::test::ScratchFolder;

TEST(InstalledProduct, AnInstallationOf104InEnglishShowsAs104EN) {
    ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    INSTALLATION_PATHS paths = {};

    ASSERT_TRUE(FindInstallation(&paths));
    EXPECT_EQ(paths.szInstallFolder, installed.Folder());
    EXPECT_EQ(paths.szExePath, installed.ExePath());
    EXPECT_EQ(paths.szLanguageIni, installed.Folder() + "Language.ini");
    CString version;
    ASSERT_TRUE(GetInstalledVersion(paths.szExePath, version));
    char work[LANGUAGE_VALUE_SIZE];
    const int language = ReadInstalledLanguage(paths.szLanguageIni, work);
    // The Language.ini value arrives in the buffer given.
    EXPECT_STREQ(work, "1");

    EXPECT_EQ(zr::MakeDisplayedVersion(version, language), "1.04(EN)");
}

TEST(UpdatePackage, TheHeaderGivesVersionAndLanguage) {
    ScratchFolder work(/*enter=*/true);
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage("1.05", 2)));
    PACKAGE_HEADER header = {};

    ASSERT_TRUE(ReadPackageHeader("./vupcab", &header));

    EXPECT_STREQ(header.szVersion, "1.05");
    EXPECT_EQ(header.nLanguage, 2);
    EXPECT_EQ(zr::MakeDisplayedVersion(header.szVersion, header.nLanguage), "1.05(CH)");
}

TEST(DisplayedVersion, NamesTheFourLanguagesAndLeavesOthersEmpty) {
    const struct {
        int code;
        const char* shown;
    } cases[] = {{0, "1.05(JA)"}, {1, "1.05(EN)"}, {2, "1.05(CH)"}, {3, "1.05(KO)"},
                 {4, "1.05()"},   {15, "1.05()"},  {-1, "1.05()"},  {16, "1.05()"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(zr::MakeDisplayedVersion("1.05", c.code), c.shown);
    }
    EXPECT_EQ(zr::MakeDisplayedVersion("", 5), "()");
}

}  // namespace
