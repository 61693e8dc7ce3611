// A file the update replaces, held by another process: the update waits a bounded time, then changes
// nothing at all (no record, no staged file, nothing renamed: watched for the whole run) and names
// the file and, where the Restart Manager tells, the program holding it; a hold that ends within the
// wait does not stop the update.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "dialog/FilesInUseMessage.h"
#include "files/LongPath.h"
#include "format/PackageFormat.h"
#include "installer/FileHolders.h"
#include "installer/PackageInstall.h"
#include "tests/support/FolderWatch.h"
#include "tests/support/HeldFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/StandInRestartManager.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using namespace zr;

using zr::test::Hold;
using zr::test::ReadFileBytes;
using zr::test::WriteFileBytes;

// What the installer told while it ran, and the files in use its result named.
class Recorded : public CInstallProgress {
  public:
    void OnPlanned(unsigned, std::uint64_t) override { bPlanned = true; }
    FILES_IN_USE inUse;
    int nTold = 0;
    bool bPlanned = false;
};

class FilesInUse : public ::testing::Test {
  protected:
    void SetUp() override {
        m_work = m_root / "work\\";
        m_install = m_root / "inst\\";
        ASSERT_TRUE(::CreateDirectoryA(m_work.c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(m_install + "ZR5048Em.exe", "installed exe"));
        ASSERT_TRUE(WriteFileBytes(m_install + "EXCEL\\Report.xls", "old report"));
        ASSERT_TRUE(::CreateDirectoryA((m_install + "Images").c_str(), nullptr));
        zr::PackageContents contents;
        contents.version = "1.05";
        contents.language = 1;
        contents.entries = {
            {"ZR5048Em.exe", "", "new exe"}, {"EXCEL\\Report.xls", "", "new report"}, {"Images\\New.bmp", "", "new"}};
        ASSERT_TRUE(WriteFileBytes(m_work + "vupcab", zr::BuildPackageBytes(contents)));
        ASSERT_TRUE(::GetCurrentDirectoryA(sizeof m_previous, m_previous));
        ASSERT_TRUE(::SetCurrentDirectoryA(m_work.c_str()));
    }
    void TearDown() override { ::SetCurrentDirectoryA(m_previous); }

    E_INSTALL_OUTCOME Install(Recorded* recorded, DWORD* tookMs) const {
        const DWORD start = ::GetTickCount();
        const INSTALL_RESULT result = zr::InstallPackage(PACKAGE_FILE_NAME, m_install.c_str(), nullptr, recorded);
        *tookMs = ::GetTickCount() - start;
        recorded->inUse = result.inUse;
        recorded->nTold = result.inUse.files.empty() ? 0 : 1;
        return result.outcome;
    }
    std::map<std::string, std::string> Installation() const { return zr::test::SnapshotFolder(m_install); }
    std::string Report() const { return m_install + "EXCEL\\Report.xls"; }

    zr::test::ScratchFolder m_root;
    std::string m_work;
    std::string m_install;
    char m_previous[MAX_PATH] = {};
};

constexpr Hold HOLDS[] = {Hold::READ_SHARING, Hold::READ_WRITE_SHARING, Hold::BYTE_RANGE_LOCK};

TEST_F(FilesInUse, AHeldDestinationIsWaitedForThenNothingChangesAndItIsNamed) {
    for (const Hold how : HOLDS) {
        SCOPED_TRACE(zr::test::HoldName(how));
        zr::test::HeldFile held(Report(), how);
        ASSERT_TRUE(held.Holding());
        const auto before = Installation();
        zr::test::FolderWatch watch(m_install);
        ASSERT_TRUE(watch.Watching());
        Recorded recorded;
        DWORD took = 0;
        EXPECT_EQ(Install(&recorded, &took), INSTALL_FILES_IN_USE);
        const std::vector<std::string> changes = watch.Changes();
        EXPECT_EQ(changes, std::vector<std::string>()) << "no record, no staged file, nothing renamed";
        EXPECT_TRUE(Installation() == before) << "the installation changed";
        EXPECT_FALSE(recorded.bPlanned) << "told of a plan to place";
        ASSERT_EQ(recorded.nTold, 1);
        EXPECT_EQ(recorded.inUse.files, std::vector<std::string>{"EXCEL\\Report.xls"});
        // Wine's Restart Manager lists no application: nobody is named here (see the stand-in below).
        EXPECT_TRUE(recorded.inUse.holders.empty());
        EXPECT_GE(took, 2500u) << "given up without waiting";
        EXPECT_LT(took, 10000u) << "the wait is bounded";
    }
}

TEST_F(FilesInUse, AHolderThatLetsGoWithinTheWaitDoesNotStopTheUpdate) {
    for (const Hold how : HOLDS) {
        SCOPED_TRACE(zr::test::HoldName(how));
        ASSERT_TRUE(WriteFileBytes(Report(), "old report"));
        zr::test::HeldFile held(Report(), how, 1000);
        ASSERT_TRUE(held.Holding());
        Recorded recorded;
        DWORD took = 0;
        EXPECT_EQ(Install(&recorded, &took), INSTALL_DONE);
        EXPECT_EQ(recorded.nTold, 0);
        EXPECT_EQ(ReadFileBytes(Report()), "new report");
        EXPECT_EQ(ReadFileBytes(m_install + "Images\\New.bmp"), "new");
        held.LetGo();
        ASSERT_TRUE(::DeleteFileA((m_install + "Images\\New.bmp").c_str()));
    }
}

// Wine's rstrtmgr.dll is a stub that lists nobody, so the naming is seen through a stand-in that
// reports the processes the test tells it of, as the documented contract has the real one report
// the processes using the registered files; failing or missing, the files alone are named.
TEST_F(FilesInUse, TheRestartManagerNamesTheHoldersAndItsAbsenceNamesTheFilesAlone) {
    zr::test::HeldFile held(Report(), Hold::READ_SHARING);
    ASSERT_TRUE(held.Holding());
    const std::string pid = std::to_string(held.ProcessId());
    const struct {
        const char* what;
        std::string setting;
        bool missing;
        std::vector<FILE_HOLDER> holders;
    } CASES[] = {
        {"names the holder", Report() + "|" + pid + "|Spreadsheet", false, {{L"Spreadsheet", held.ProcessId()}}},
        {"a list longer than the first guess",
         Report() + "|" + pid + "|Spreadsheet;" + Report() + "|4242|Indexer;" + m_install + "Other.txt|7|Other",
         false,
         {{L"Spreadsheet", held.ProcessId()}, {L"Indexer", 4242}}},
        {"fails", "fail", false, {}},
        {"is missing", "", true, {}},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.what);
        zr::test::StandInRestartManager standIn(c.setting, c.missing);
        ASSERT_TRUE(standIn.Ready());
        const std::vector<FILE_HOLDER> holders = zr::FindFileHolders({zr::WidenAnsi(Report().c_str())});
        ASSERT_EQ(holders.size(), c.holders.size());
        for (std::size_t i = 0; i < holders.size(); ++i) {
            EXPECT_EQ(holders[i].name, c.holders[i].name);
            EXPECT_EQ(holders[i].nProcessId, c.holders[i].nProcessId);
        }
    }
    // And through the whole update, as the log and the dialog get it.
    zr::test::StandInRestartManager standIn(Report() + "|" + pid + "|Spreadsheet");
    ASSERT_TRUE(standIn.Ready());
    Recorded recorded;
    DWORD took = 0;
    EXPECT_EQ(Install(&recorded, &took), INSTALL_FILES_IN_USE);
    ASSERT_EQ(recorded.inUse.holders.size(), 1u);
    EXPECT_EQ(recorded.inUse.holders[0].name, L"Spreadsheet");
}

TEST(FilesInUseMessage, NamesTheProgramsAndTheFirstFilesThenCountsTheRest) {
    FILES_IN_USE inUse;
    for (int i = 1; i <= 7; ++i)
        inUse.files.push_back("EXCEL\\Book" + std::to_string(i) + ".xls");
    EXPECT_EQ(FilesInUseMessage(inUse, true),
              "These files are used by another program. \nPlease close it and re-try this.\n\n"
              "EXCEL\\Book1.xls\nEXCEL\\Book2.xls\nEXCEL\\Book3.xls\nEXCEL\\Book4.xls\nEXCEL\\Book5.xls\nand 2 more");
    inUse.files.resize(1);
    inUse.holders = {{L"Spreadsheet", 120}, {L"Indexer", 7}};
    EXPECT_EQ(FilesInUseMessage(inUse, true),
              "These files are used by another program. \nPlease close it and re-try this.\n\n"
              "EXCEL\\Book1.xls\n\nProgram: Spreadsheet (120), Indexer (7)");
}

}  // namespace
