// Signed packages on the real tool: a build with the test keys installs a package one of them signed
// and refuses an unsigned one at Execute, a build without keys refuses a damaged one; refused, nothing
// in the installation changes. Both languages.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format/PackageFormat.h"
#include "res/resource.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SignedPackages.h"
#include "tests/support/TestEnvironment.h"

namespace {

using namespace zr;

using zr::test::ProductProcess;
using zr::test::TestKey;
using EnglishDialog = zr::test::EnglishLocaleTest;
using JapaneseDialog = zr::test::JapaneseLocaleTest;

struct Texts {
    const wchar_t* confirm;
    const wchar_t* succeeded;
    const wchar_t* untrusted;  // what the tool says of a damaged package or one not from the maker
};
const Texts ENGLISH_TEXTS = {L"Are you sure to version-up?", L"Version up finished.",
                             L"The update package is damaged or is not from the maker."};
const Texts JAPANESE_TEXTS = {L"バージョンアップをしますがよろしいですか？", L"バージョンアップ完了",
                              L"バージョンアップファイルが破損しているか、正規の提供元のものではありません。"};

const std::vector<zr::test::SampleEntry> ENTRIES = {{"EXCEL\\Report.xls", "new report"}, {"ReadMe.txt", "new readme"}};

std::string Unsigned() {
    return zr::test::SamplePackage("1.05", 1, ENTRIES);
}

// An installation of 1.04 (EN) and a working folder holding `package`.
struct SignedFixture {
    explicit SignedFixture(const std::string& package) : installed("1.4.0.0", 1) {
        ok = installed.Ok() && zr::test::WriteFileBytes(work / "vupcab", package) &&
             zr::test::WriteFileBytes(installed.Folder() + "EXCEL\\Report.xls", "old report");
    }
    zr::test::ImitationInstallation installed;
    zr::test::ScratchFolder work;
    bool ok = false;
};

// The one check of the message a refused package gets.
::testing::AssertionResult ReportsUntrustedPackage(ProductProcess& tool, const Texts& texts) {
    return tool.Answers(texts.untrusted, IDOK);
}

void Executes(ProductProcess& tool) {
    ::PostMessageW(::GetDlgItem(tool.Dialog(), IDC_EXECUTE), BM_CLICK, 0, 0);
}

void RefusedAtExecute(const std::string& package, const std::string& exe, const Texts& texts) {
    SignedFixture f(package);
    ASSERT_TRUE(f.ok);
    const auto before = zr::test::SnapshotFolder(f.installed.Folder());
    ProductProcess tool(f.work.Path(), "", "", exe);
    ASSERT_TRUE(tool.Opens());
    Executes(tool);
    ASSERT_TRUE(tool.Answers(texts.confirm, IDYES));
    ASSERT_TRUE(ReportsUntrustedPackage(tool, texts));
    EXPECT_EQ(zr::test::SnapshotFolder(f.installed.Folder()), before);
    EXPECT_EQ(zr::test::ControlText(tool.Dialog(), IDC_INSTALLED_VERSION), L"1.04(EN)");
    EXPECT_TRUE(tool.Closes());
}

void Installs(const std::string& package, const std::string& exe, const Texts& texts) {
    SignedFixture f(package);
    ASSERT_TRUE(f.ok);
    ProductProcess tool(f.work.Path(), "", "", exe);
    ASSERT_TRUE(tool.Opens());
    Executes(tool);
    ASSERT_TRUE(tool.Answers(texts.confirm, IDYES));
    ASSERT_TRUE(tool.Answers(texts.succeeded, IDOK));
    EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "EXCEL\\Report.xls"), "new report");
    EXPECT_EQ(zr::test::ReadFileBytes(f.installed.Folder() + "ReadMe.txt"), "new readme");
    EXPECT_TRUE(tool.Closes());
}

TEST_F(EnglishDialog, ToolWithKeysInstallsAPackageSignedByTheSecondKey) {
    ASSERT_NO_FATAL_FAILURE(
        Installs(zr::test::SignedWith(Unsigned(), TestKey::SECOND), zr::test::KeyedProductExePath(), ENGLISH_TEXTS));
}
TEST_F(JapaneseDialog, ToolWithKeysInstallsAPackageSignedByTheFirstKey) {
    ASSERT_NO_FATAL_FAILURE(
        Installs(zr::test::SignedWith(Unsigned(), TestKey::FIRST), zr::test::KeyedProductExePath(), JAPANESE_TEXTS));
}
TEST_F(EnglishDialog, ToolWithKeysRefusesAnUnsignedPackage) {
    ASSERT_NO_FATAL_FAILURE(RefusedAtExecute(Unsigned(), zr::test::KeyedProductExePath(), ENGLISH_TEXTS));
}
TEST_F(JapaneseDialog, ToolWithKeysRefusesAPackageSignedByAnotherKey) {
    ASSERT_NO_FATAL_FAILURE(RefusedAtExecute(zr::test::SignedWith(Unsigned(), TestKey::OTHER),
                                             zr::test::KeyedProductExePath(), JAPANESE_TEXTS));
}
TEST_F(EnglishDialog, ToolWithoutKeysRefusesADamagedSignedPackage) {
    const std::string damaged = zr::test::FlipBit(zr::test::SignedWith(Unsigned(), TestKey::FIRST), 60);
    ASSERT_NO_FATAL_FAILURE(RefusedAtExecute(damaged, zr::test::ProductExePath(), ENGLISH_TEXTS));
}
TEST_F(JapaneseDialog, ToolWithoutKeysInstallsASignedPackage) {
    ASSERT_NO_FATAL_FAILURE(
        Installs(zr::test::SignedWith(Unsigned(), TestKey::OTHER), zr::test::ProductExePath(), JAPANESE_TEXTS));
}

// A deployment run of a tool with keys never reports "nothing to do" (0, 1638, 1623) for a damaged
// package: with a bit flipped in the version (reading lower, equal and higher than the installed one)
// or in the language it says 1620; the genuine package still gets its own verdict. Nothing changes.
TEST(QuietRunWithKeys, BelievesTheHeaderOnlyOfAGenuinePackage) {
    const std::string genuine = zr::test::SignedWith(Unsigned(), TestKey::FIRST);
    const struct {
        int row;
        const char* installed;  // the stand-in's ProductVersion
        int installedLanguage;
        std::string package;
        DWORD exitCode;
        const char* logLine;
    } cases[] = {
        {1, "1.5.0.0", 1, zr::test::FlipBit(genuine, 0), 1620, "Package: version 0.05"},
        {2, "1.4.0.0", 1, zr::test::FlipBit(genuine, 3), 1620, "Package: version 1.04"},
        {3, "1.5.0.0", 1, zr::test::FlipBit(genuine, 3, 1), 1620, "Package: version 1.07"},
        {4, "1.5.0.0", 1, zr::test::FlipBit(genuine, LANGUAGE_BYTE_OFFSET, 1), 1620, "language 3"},
        {5, "1.5.0.0", 0, zr::test::FlipBit(genuine, LANGUAGE_BYTE_OFFSET, 0), 1620, "language 0"},
        {6, "1.5.0.0", 1, genuine, 0, "is installed already, nothing to do"},
        {7, "1.12.0.0", 1, genuine, 1638, "is newer than 1.05"},
        {8, "1.5.0.0", 0, genuine, 1623, "is not the installation's"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        zr::test::ImitationInstallation installed(c.installed, c.installedLanguage);
        ASSERT_TRUE(installed.Ok());
        zr::test::ScratchFolder work;
        ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", c.package));
        const auto before = zr::test::SnapshotFolder(installed.Folder());
        ProductProcess tool(work.Path(), "", "/quiet /log quiet.log", zr::test::KeyedProductExePath());
        ASSERT_TRUE(tool.Started());
        ASSERT_TRUE(tool.WaitForExit(60000));
        EXPECT_EQ(tool.ExitCode(), c.exitCode);
        EXPECT_EQ(zr::test::SnapshotFolder(installed.Folder()), before);
        const std::string log = zr::test::ReadFileBytes(work / "quiet.log");
        EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
        if (c.exitCode == 1620 && c.row != 3) {
            EXPECT_NE(log.find("Decision: the package is damaged or not from the maker"), std::string::npos) << log;
        }
    }
}

// bcrypt.dll is loaded by its full system path: one planted beside the package is never taken.
TEST_F(EnglishDialog, TakesNoBcryptFromTheFolderItStartsFrom) {
    SignedFixture f(zr::test::SignedWith(Unsigned(), TestKey::FIRST));
    ASSERT_TRUE(f.ok);
    const std::string fixtures = zr::test::RequiredPath("ZR_FIXTURES");
    ASSERT_TRUE(::CopyFileA((fixtures + "\\planted\\marker.dll").c_str(), (f.work / "bcrypt.dll").c_str(), FALSE));
    {
        ProductProcess tool(f.work.Path(), "ZR5048VersionUp.exe", "", zr::test::KeyedProductExePath());
        ASSERT_TRUE(tool.Opens());
        Executes(tool);
        ASSERT_TRUE(tool.Answers(ENGLISH_TEXTS.confirm, IDYES));
        ASSERT_TRUE(tool.Answers(ENGLISH_TEXTS.succeeded, IDOK));
        EXPECT_TRUE(tool.Closes());
    }
    for (const auto& [name, bytes] : zr::test::SnapshotFolder(f.work.Path()))
        EXPECT_EQ(name.find(".marker"), std::string::npos) << name;
}

}  // namespace
