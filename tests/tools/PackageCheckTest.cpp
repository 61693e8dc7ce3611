// `mkvupcab check` against real installation folders: it must give the tool's answer on every package
// and installation of the shared table (on Windows the tool itself answers each row too), judge every
// signature case as the tool does, and say per entry what the tool would do. Built natively and for
// Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "format/DestinationRule.h"
#include "tests/support/InstallationCases.h"
#include "tests/support/SignatureCases.h"
#include "tests/support/SignedPackages.h"
#include "tools/vupcab/PackageCheck.h"

#ifdef _WIN32
#include "format/PackageHeader.h"
#include "installer/PackageInstall.h"
#include "product/LanguageSettings.h"
#endif

namespace {

namespace fs = std::filesystem;
using namespace zr;
using namespace zr::test;

bool Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// An entry name as a path below the installation on this file system.
fs::path Relative(std::string name) {
    for (char& c : name) {
        if (c == '\\')
            c = static_cast<char>(fs::path::preferred_separator);
    }
    return name;
}

// An English installation as the installer's refusal tests have it, and the package beside it.
class PackageCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = fs::path(ZR_TEST_SCRATCH) /
                 ("check-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        m_install = m_root / "ZR5048 Emulation Software";
        MakeInstallation();
    }
    void TearDown() override { Remove(); }
    void Remove() {
        std::error_code ignored;
        for (const auto& item : fs::recursive_directory_iterator(m_root, ignored))
            fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_root, ignored);
    }
    void MakeInstallation() {
        Remove();
        ASSERT_TRUE(Write(m_install / "ZR5048Em.exe", "installed exe"));
        ASSERT_TRUE(Write(m_install / "EXCEL" / "Report.xls", "old report"));
        ASSERT_TRUE(Write(m_install / "Images" / "Logo.bmp", "old logo"));
        ASSERT_TRUE(Write(m_install / "Language.ini", ENGLISH_INI));
    }
    ::testing::AssertionResult Checks(const std::string& bytes,
                                      const std::vector<PublicKey>& keys,
                                      PACKAGE_CHECK* check) {
        if (!Write(m_root / "vupcab", bytes))
            return ::testing::AssertionFailure() << "cannot write the package";
        std::string error;
        if (!CheckPackageAgainst(m_root / "vupcab", m_install, keys, check, &error))
            return ::testing::AssertionFailure() << error;
        return ::testing::AssertionSuccess();
    }

    fs::path m_root;
    fs::path m_install;
};

TEST_F(PackageCheckTest, GivesTheToolsAnswerOnEveryPackageAndInstallation) {
    for (const InstallationCase& c : InstallationCases()) {
        SCOPED_TRACE(c.what);
        MakeInstallation();
        fs::remove(m_install / "Language.ini");
        if (c.languageIni) {
            ASSERT_TRUE(Write(m_install / "Language.ini", c.languageIni));
        }
        for (const char* folder : c.folders)
            fs::create_directories(m_install / Relative(folder));
        for (const char* file : c.readOnly)
            fs::permissions(m_install / Relative(file),
                            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        PACKAGE_CHECK check;
        ASSERT_TRUE(Checks(c.package, {}, &check));
        EXPECT_EQ(check.refusals.empty(), c.installable) << (check.refusals.empty() ? "" : check.refusals[0]);
#ifdef _WIN32
        // The tool on the same installation: the language as its startup evaluation reads and compares
        // it, then the installer.
        char value[LANGUAGE_VALUE_SIZE];
        const fs::path install = fs::path(m_install).make_preferred();
        const PACKAGE_HEADER header =
            DecodePackageHeader(reinterpret_cast<const unsigned char*>(c.package.data()), c.package.size());
        const bool sameLanguage =
            ReadInstalledLanguage((install / "Language.ini").string().c_str(), value) == header.nLanguage;
        const std::string folder = install.string() + "\\";
        const bool installed =
            sameLanguage && InstallPackage((fs::path(m_root).make_preferred() / "vupcab").string().c_str(),
                                           folder.c_str(), nullptr, nullptr) == INSTALL_DONE;
        EXPECT_EQ(installed, c.installable);
#endif
    }
}

TEST_F(PackageCheckTest, JudgesEverySignatureCaseAsTheToolWould) {
    const std::vector<PublicKey> testKeys = {PublicPart(LoadTestKey(TestKey::FIRST)),
                                             PublicPart(LoadTestKey(TestKey::SECOND))};
    for (const SignatureCase& c : SignatureCases()) {
        SCOPED_TRACE(c.name);
        PACKAGE_CHECK without, with;
        ASSERT_TRUE(Checks(c.bytes, {}, &without));
        ASSERT_TRUE(Checks(c.bytes, testKeys, &with));
        EXPECT_EQ(without.refusals.empty(), c.withoutKeys == INSTALL_DONE);
        EXPECT_EQ(with.refusals.empty(), c.withKeys == INSTALL_DONE);
    }
}

TEST_F(PackageCheckTest, SaysWhatTheToolWouldDoWithEachEntry) {
    ASSERT_TRUE(Write(m_install / "ReadMe.txt", "same"));
    ASSERT_TRUE(Write(m_install / "Images" / "Locked.bmp", "locked"));
    fs::permissions(m_install / "Images" / "Locked.bmp",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::create_directories(m_install / "Images" / "Folder.bmp");
    const std::string package = RawPackage({{"EXCEL\\Report.xls", "new report"},
                                            {"ReadMe.txt", "same"},
                                            {"EXCEL\\New.xls", "new"},
                                            {"EXCEL\\New.xls", "twice"},
                                            {"Images\\Locked.bmp", "x"},
                                            {"Images\\Folder.bmp", "x"},
                                            {"Help\\index.htm", "x"},
                                            {"ZR~Recovery.DAT", "x"}});
    PACKAGE_CHECK check;
    ASSERT_TRUE(Checks(package, {}, &check));
    ASSERT_TRUE(check.bDirectoryOk) << check.directoryText;
    const struct {
        E_ENTRY_ACTION action;
        E_DESTINATION_FAULT fault;
    } expected[] = {
        {ENTRY_REPLACE, DESTINATION_OK},          {ENTRY_IDENTICAL, DESTINATION_OK},
        {ENTRY_CREATE, DESTINATION_OK},           {ENTRY_REPLACE, DESTINATION_OK},
        {ENTRY_REFUSED, DESTINATION_READ_ONLY},   {ENTRY_REFUSED, DESTINATION_IS_FOLDER},
        {ENTRY_REFUSED, DESTINATION_WAY_MISSING}, {ENTRY_REFUSED, DESTINATION_RECORD_NAME},
    };
    ASSERT_EQ(check.entries.size(), std::size(expected));
    for (std::size_t i = 0; i < check.entries.size(); ++i) {
        SCOPED_TRACE(check.entries[i].name);
        EXPECT_EQ(check.entries[i].action, expected[i].action);
        EXPECT_EQ(check.entries[i].fault, expected[i].fault);
    }
    EXPECT_EQ(check.refusals.size(), 4u);
}

TEST(DestinationRule, JudgesTheFactsInTheToolsOrder) {
    const struct {
        int row;
        const char* name;
        DESTINATION_FACTS facts;
        E_DESTINATION_FAULT expected;
    } cases[] = {
        {1, "EXCEL\\a.xls", {}, DESTINATION_OK},
        {2, "zr~recovery.dat", {}, DESTINATION_RECORD_NAME},
        {3, "EXCEL\\zr~recovery.dat", {}, DESTINATION_OK},
        {4, "zr~recovery.dat.old", {}, DESTINATION_OK},
        {5, "a", {true, true, STANDS_NOTHING, false, false, false}, DESTINATION_WAY_LINKED},
        {6, "a", {true, false, STANDS_NOTHING, false, false, true}, DESTINATION_UNKNOWN},
        {7, "a", {true, false, STANDS_NOTHING, false, false, false}, DESTINATION_WAY_MISSING},
        {8, "a", {false, false, STANDS_FOLDER, false, false, false}, DESTINATION_IS_FOLDER},
        {9, "a", {false, false, STANDS_OTHER, false, false, false}, DESTINATION_NOT_A_FILE},
        {10, "a", {false, false, STANDS_FILE, true, true, false}, DESTINATION_IS_PACKAGE},
        {11, "a", {false, false, STANDS_FILE, true, false, false}, DESTINATION_READ_ONLY},
        {12, "a", {false, false, STANDS_FILE, false, false, false}, DESTINATION_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(JudgeDestination(c.name, c.facts), c.expected);
        EXPECT_STRNE(DestinationFaultText(c.expected), "");
    }
}

}  // namespace
