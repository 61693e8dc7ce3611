// How a failing update is undone and a successful one finished: a package naming one destination
// more than once is put back to the installed file, not to one of its own payloads; and a file that
// another program holds for a moment (a virus scanner, an indexer) while the installation is undone
// or finished only delays it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "framework/ScopedHandle.h"
#include "installer/InstallOutcome.h"
#include "format/PackageFormat.h"
#include "installer/PackageInstall.h"
#include "journal/Recovery.h"
#include "tests/support/IntrudingFile.h"
#include "tests/support/ScratchFolder.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using namespace zr;

using zr::test::ReadFileBytes;
using zr::test::ScratchFolder;
using zr::test::SnapshotFolder;
using zr::test::WriteFileBytes;
using Snapshot = std::map<std::string, std::string>;

// A start folder holding the package and an installation beside it, under one root, so that a
// snapshot of the root shows anything left anywhere; the process works in the start folder.
class InstallationWorld : public ::testing::Test {
  protected:
    void SetUp() override {
        m_work = m_root / "work\\";
        m_install = m_root / "inst\\";
        ASSERT_TRUE(::CreateDirectoryA(m_work.c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(m_install + "ZR5048Em.exe", "installed exe"));
        ASSERT_TRUE(WriteFileBytes(m_install + "EXCEL\\Report.xls", "old report"));
        ASSERT_TRUE(::CreateDirectoryA((m_install + "Images").c_str(), nullptr));
        ASSERT_TRUE(::GetCurrentDirectoryA(sizeof m_previous, m_previous));
        ASSERT_TRUE(::SetCurrentDirectoryA(m_work.c_str()));
    }
    void TearDown() override { ::SetCurrentDirectoryA(m_previous); }

    ::testing::AssertionResult WritePackage(const std::vector<zr::PackageFileEntry>& entries) const {
        zr::PackageContents contents;
        contents.version = "1.05";
        contents.language = 1;
        contents.entries = entries;
        const std::string refused = zr::CheckPackageContents(contents);
        if (!refused.empty())
            return ::testing::AssertionFailure() << refused;
        if (!WriteFileBytes(m_work + "vupcab", zr::BuildPackageBytes(contents)))
            return ::testing::AssertionFailure() << "cannot write " << m_work << "vupcab";
        return ::testing::AssertionSuccess();
    }
    E_INSTALL_OUTCOME Install(CInstallProgress* progress = nullptr) const {
        return zr::InstallPackage(PACKAGE_FILE_NAME, m_install.c_str(), nullptr, progress);
    }
    Snapshot Everything() const { return SnapshotFolder(m_root.Path()); }

    ScratchFolder m_root;
    std::string m_work;
    std::string m_install;
    char m_previous[MAX_PATH] = {};
};

// --- the order of the rollback ---------------------------------------------------------------------

struct RepeatedDestination {
    const char* what;
    std::vector<zr::PackageFileEntry> entries;  // the last one fails: another file takes its name
};

TEST_F(InstallationWorld, AFailureAfterADestinationNamedTwicePutsBackWhatWasInstalled) {
    // Each placing of a destination keeps aside what the one before left there; only undoing them
    // newest first ends at the installed file (or at no file, for a new one).
    const RepeatedDestination CASES[] = {
        {"an installed file named twice",
         {{"EXCEL\\Report.xls", "", "first"}, {"EXCEL\\Report.xls", "", "second"}, {"Blocked.bin", "", "x"}}},
        {"an installed file named three times",
         {{"EXCEL\\Report.xls", "", "first"},
          {"EXCEL\\Report.xls", "", "second"},
          {"EXCEL\\Report.xls", "", "third"},
          {"Blocked.bin", "", "x"}}},
        {"a new file named twice",
         {{"Images\\New.bmp", "", "first"}, {"Images\\New.bmp", "", "second"}, {"Blocked.bin", "", "x"}}},
        {"an installed file named twice, apart",
         {{"EXCEL\\Report.xls", "", "first"},
          {"Images\\New.bmp", "", "new"},
          {"EXCEL\\Report.xls", "", "second"},
          {"Blocked.bin", "", "x"}}},
    };
    for (const RepeatedDestination& row : CASES) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(WritePackage(row.entries));
        const Snapshot before = Everything();
        {
            zr::test::IntrudingFile blocked(m_install + "Blocked.bin");
            EXPECT_EQ(Install(&blocked), INSTALL_FAILED);
            EXPECT_TRUE(blocked.Intruded());
        }
        EXPECT_EQ(Everything(), before);
    }
}

// --- retries -------------------------------------------------------------------------------------

// Long enough to cover the first try even when a flush of the record comes before it, well within
// what the retries wait in all.
constexpr DWORD BRIEF_HOLD_MS = 80;

// Holds one file, chosen when an entry stands at its destination, for BRIEF_HOLD_MS, then lets go.
class BriefHold : public CInstallProgress {
  public:
    // When `entryName` is placed, `choose` names the file to hold (empty: none).
    BriefHold(std::string entryName, std::function<std::string()> choose)
        : m_entry(std::move(entryName)), m_choose(std::move(choose)) {}
    ~BriefHold() override {
        if (m_release.joinable())
            m_release.join();
    }
    void OnEntryPlaced(const char* entryName, std::uint32_t) override {
        if (m_entry != entryName || m_release.joinable())
            return;
        m_held = m_choose();
        HANDLE file = ::CreateFileA(m_held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        m_release = std::thread([file] {
            ::Sleep(BRIEF_HOLD_MS);
            ::CloseHandle(file);
        });
    }
    // The file that was held; empty when none could be.
    std::string Held() const { return m_release.joinable() ? m_held : std::string(); }

  private:
    std::string m_entry;
    std::function<std::string()> m_choose;
    std::string m_held;
    std::thread m_release;
};

// The file of the reserved form ("zr~*.tmp") in `folder`: what the installer keeps aside there.
std::string KeptAside(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "zr~*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::string();
    ::FindClose(search);
    return folder + found.cFileName;
}

TEST_F(InstallationWorld, AFileHeldForAMomentDuringTheRollbackIsPutBackAll) {
    struct Case {
        const char* what;
        const char* held;  // entry whose placed file is held when it is placed
    } const CASES[] = {
        {"a replaced file", "EXCEL\\Report.xls"},
        {"a new file", "Images\\New.bmp"},
    };
    for (const Case& row : CASES) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(WritePackage({{row.held, "", "new"}, {"Blocked.bin", "", "new"}}));
        const Snapshot before = Everything();
        {
            const std::string placed = m_install + row.held;
            BriefHold hold(row.held, [&] { return placed; });
            zr::test::IntrudingFile blocked(m_install + "Blocked.bin", &hold);  // makes the second entry fail
            EXPECT_EQ(Install(&blocked), INSTALL_FAILED);
            EXPECT_EQ(hold.Held(), placed) << "the placed file was not there to hold";
        }
        EXPECT_EQ(Everything(), before) << "a rollback must outlast a hold of " << BRIEF_HOLD_MS << " ms";
    }
}

TEST_F(InstallationWorld, AKeptAsideFileHeldForAMomentDuringTheCommitIsStillRemoved) {
    ASSERT_TRUE(WritePackage({{"ZR5048Em.exe", "", "new exe"}, {"EXCEL\\Report.xls", "", "new report"}}));
    Snapshot after = Everything();
    after["inst\\ZR5048Em.exe"] = "new exe";
    after["inst\\EXCEL\\Report.xls"] = "new report";
    // The last entry is in place: what it kept aside goes at the commit, which meets the hold.
    BriefHold hold("EXCEL\\Report.xls", [&] { return KeptAside(m_install + "EXCEL\\"); });
    EXPECT_EQ(Install(&hold), INSTALL_DONE);
    EXPECT_NE(hold.Held(), "") << "nothing kept aside beside the report to hold";
    EXPECT_EQ(Everything(), after) << "nothing of the installer's may stay after a hold of " << BRIEF_HOLD_MS << " ms";
}

// Holds what the report's placing kept aside, without sharing, until the test lets go: longer than
// any wait, so the commit cannot delete it.
class HeldBackup : public CInstallProgress {
  public:
    explicit HeldBackup(std::string folder) : m_folder(std::move(folder)) {}
    void OnEntryPlaced(const char* entryName, std::uint32_t) override {
        if (std::string(entryName) != "EXCEL\\Report.xls")
            return;
        held = KeptAside(m_folder);
        file.reset(::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    void OnBackupLeft(const std::wstring& path) override { left.push_back(path); }

    std::string held;
    zr::ScopedKernelHandle file;
    std::vector<std::wstring> left;

  private:
    std::string m_folder;
};

TEST_F(InstallationWorld, ABackupHeldPastTheCommitPointIsNamedAndTheUpdateStillSucceeds) {
    ASSERT_TRUE(WritePackage({{"ZR5048Em.exe", "", "new exe"}, {"EXCEL\\Report.xls", "", "new report"}}));
    Snapshot after = Everything();
    after["inst\\ZR5048Em.exe"] = "new exe";
    after["inst\\EXCEL\\Report.xls"] = "new report";
    HeldBackup hold(m_install + "EXCEL\\");
    // The installation is the new one: a success, not the failure that would say it was put back.
    EXPECT_EQ(Install(&hold), INSTALL_DONE);
    ASSERT_TRUE(hold.file.IsValid()) << "nothing kept aside beside the report to hold";
    ASSERT_EQ(hold.left.size(), 1u);
    // The reserved name, "zr~XXXXXXXX.tmp", as held.
    ASSERT_GE(hold.held.size(), 15u);
    EXPECT_EQ(hold.left[0].substr(hold.left[0].size() - 15), std::wstring(hold.held.end() - 15, hold.held.end()));
    EXPECT_EQ(ReadFileBytes(m_install + "ZR5048Em.exe"), "new exe");
    EXPECT_EQ(ReadFileBytes(m_install + "EXCEL\\Report.xls"), "new report");
    // Once let go, the next start finishes the record and nothing of the installer's is left.
    hold.file.reset();
    EXPECT_EQ(zr::RecoverInstallation(m_install.c_str()), zr::RECOVERY_DONE);
    EXPECT_EQ(Everything(), after);
}

}  // namespace
