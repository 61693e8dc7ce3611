// Installations ended abruptly at every step (the fault switch, in a child process of their own),
// then recovered by a fresh process: the installation must come back byte for byte as before, or,
// once the commit point is passed, stay wholly new; nothing of the installer's may remain, and the
// start folder is never touched at any step. Also the live record of a running installation, a
// restore that fails, and a start folder on another volume.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "journal/FaultPoint.h"
#include "files/LongPath.h"
#include "format/PackageFormat.h"
#include "installer/PackageInstall.h"
#include "journal/Recovery.h"
#include "journal/RecoveryRecord.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using namespace zr;

using zr::test::DeleteTree;
using zr::test::FileExists;
using zr::test::ReadFileBytes;
using zr::test::ScratchFolder;
using zr::test::SnapshotFolder;
using zr::test::WriteFileBytes;
using Snapshot = std::map<std::string, std::string>;

constexpr DWORD EXIT_INSTALLED = 0;
constexpr DWORD EXIT_INSTALL_FAILED = 1;

std::string FaultyInstaller() {
    return zr::test::RequiredPath("ZR_FAULTY_INSTALLER");
}

// A child process running the faulty installer in `work`, with the fault switch's variables set for
// it alone.
class FaultyChild {
  public:
    FaultyChild(const std::string& work,
                const std::string& command,
                const std::string& folder,
                unsigned step,
                unsigned delayMs = 0) {
        ::SetEnvironmentVariableA("ZR_FAULT_STEP", step ? std::to_string(step).c_str() : nullptr);
        ::SetEnvironmentVariableA("ZR_FAULT_DELAY_MS", delayMs ? std::to_string(delayMs).c_str() : nullptr);
        // A backslash before the closing quote must be doubled, or it escapes the quote.
        const std::string quoted = folder.back() == '\\' ? folder + "\\" : folder;
        const std::string line = "\"" + FaultyInstaller() + "\" " + command + " \"" + quoted + "\"";
        if (!zr::test::StartChildProcess(nullptr, line, work.c_str(), &m_process))
            ADD_FAILURE() << "the child did not start: error " << ::GetLastError() << " for " << line;
        ::SetEnvironmentVariableA("ZR_FAULT_STEP", nullptr);
        ::SetEnvironmentVariableA("ZR_FAULT_DELAY_MS", nullptr);
        ::CloseHandle(m_process.hThread);
    }
    ~FaultyChild() {
        if (m_process.hProcess != nullptr) {
            if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
                ::TerminateProcess(m_process.hProcess, 99);
            ::CloseHandle(m_process.hProcess);
        }
    }
    FaultyChild(const FaultyChild&) = delete;
    FaultyChild& operator=(const FaultyChild&) = delete;

    // The exit code, or ~0 when it did not start or end within a minute.
    DWORD Wait() {
        DWORD code = ~0u;
        if (m_process.hProcess != nullptr && ::WaitForSingleObject(m_process.hProcess, 60000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }
    bool Running() const { return ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }

  private:
    PROCESS_INFORMATION m_process = {};
};

DWORD RunChild(const std::string& work, const std::string& command, const std::string& folder, unsigned step = 0) {
    return FaultyChild(work, command, folder, step).Wait();
}

// Puts a folder back to a snapshot: everything below it removed, then the snapshot's folders and
// files written again.
void RestoreSnapshot(const std::string& root, const Snapshot& snapshot) {
    DeleteTree(root);
    ::CreateDirectoryA(root.c_str(), nullptr);
    for (const auto& [name, contents] : snapshot) {
        if (name.back() == '\\')
            ::CreateDirectoryA((root + name).c_str(), nullptr);
        else
            ASSERT_TRUE(WriteFileBytes(root + name, contents)) << name;
    }
}

Snapshot With(Snapshot snapshot, const std::map<std::string, std::string>& changes) {
    for (const auto& [name, contents] : changes)
        snapshot[name] = contents;
    return snapshot;
}

// The world of one test: the start folder with the package and a file of the user's that carries the
// name of an entry, and an installation of which the package replaces three files and adds one. With
// the parameter set, the start folder lies on another volume, the test prefix's drive Y: (a tmpfs,
// see scripts/wine-run); it makes no difference, as everything is staged inside the installation.
class InterruptedInstallTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) {
            m_otherVolume = std::make_unique<ScratchFolder>(ScratchFolder::Under{"Y:\\"});
            ASSERT_FALSE(m_otherVolume->Path().empty()) << "no drive Y: in the test prefix";
            m_work = *m_otherVolume / "work\\";
        } else {
            m_work = m_root / "work\\";
        }
        m_install = m_root / "ZR5048 Emulation Software\\";
        ASSERT_TRUE(WriteFileBytes(m_install + "ZR5048Em.exe", "installed exe"));
        ASSERT_TRUE(WriteFileBytes(m_install + "EXCEL\\Report.xls", std::string(300 * 1024, 'o')));
        ASSERT_TRUE(WriteFileBytes(m_install + "Images\\Logo.bmp", "old logo"));
        ASSERT_TRUE(WriteFileBytes(m_work + "Logo.bmp", "the user's own Logo.bmp"));
        zr::PackageContents contents;
        contents.version = "1.05";
        contents.language = 1;
        // The executable first, as real packages have it: a run ended after it is the worst case.
        contents.entries = {{"ZR5048Em.exe", "", "new exe"},
                            {"EXCEL\\Report.xls", "", std::string(300 * 1024, 'n')},
                            {"Images\\Logo.bmp", "", "new logo"},
                            {"Images\\New.bmp", "", "brand new"}};
        ASSERT_TRUE(WriteFileBytes(m_work + "vupcab", zr::BuildPackageBytes(contents)));
        m_before = Everything();
        m_after = With(m_before, {{"install:ZR5048Em.exe", "new exe"},
                                  {"install:EXCEL\\Report.xls", std::string(300 * 1024, 'n')},
                                  {"install:Images\\Logo.bmp", "new logo"},
                                  {"install:Images\\New.bmp", "brand new"}});
    }

    // Both folders, the installation's names marked "install:" and the start folder's "work:".
    Snapshot Everything() const {
        Snapshot all;
        for (const auto& [name, contents] : SnapshotFolder(m_install))
            all["install:" + name] = contents;
        for (const auto& [name, contents] : SnapshotFolder(m_work))
            all["work:" + name] = contents;
        return all;
    }
    void RestoreBefore() const {
        Snapshot install, work;
        for (const auto& [name, contents] : m_before)
            (name.compare(0, 8, "install:") == 0 ? install[name.substr(8)] : work[name.substr(5)]) = contents;
        RestoreSnapshot(m_install, install);
        RestoreSnapshot(m_work, work);
    }
    // Which of the two acceptable states the folders are in.
    std::string State() const {
        const Snapshot now = Everything();
        return now == m_before ? "old" : now == m_after ? "new" : "mixed";
    }
    // A process ended at any moment leaves every file of the installation whole: old or new, never
    // part of either (a file may be missing: its backup is recorded; staged files are the
    // installer's own), and the start folder exactly as it was.
    ::testing::AssertionResult NoTornFile() const {
        const Snapshot now = Everything();
        for (const auto& [name, contents] : now) {
            if (name.compare(0, 8, "install:") != 0) {
                const auto old = m_before.find(name);
                if (old == m_before.end() || old->second != contents)
                    return ::testing::AssertionFailure() << name << " changed in the start folder";
                continue;
            }
            const auto old = m_before.find(name);
            const auto updated = m_after.find(name);
            const bool whole = (old != m_before.end() && old->second == contents) ||
                               (updated != m_after.end() && updated->second == contents) ||
                               name.find("zr~") != std::string::npos;
            if (!whole)
                return ::testing::AssertionFailure() << name << " holds " << contents.size() << " bytes of neither";
        }
        for (const auto& [name, contents] : m_before) {
            if (name.compare(0, 5, "work:") == 0 && now.count(name) == 0)
                return ::testing::AssertionFailure() << name << " is gone from the start folder";
        }
        return ::testing::AssertionSuccess();
    }

    // The phase a record was ended in: before its swap line, after it, or after the commit point.
    static std::string PhaseOf(const std::string& record) {
        if (record.find("\nK\n") != std::string::npos)
            return "committed";
        return record.find("\nV\n") != std::string::npos ? "swapping" : "staging";
    }
    // Every file as before but for files of the installer's reserved form beside them.
    ::testing::AssertionResult OnlyStagedFilesAdded() const {
        Snapshot now = Everything();
        for (auto file = now.begin(); file != now.end();)
            file = file->first.find("zr~") != std::string::npos ? now.erase(file) : std::next(file);
        if (now != m_before)
            return ::testing::AssertionFailure() << "the installation's own files changed";
        return ::testing::AssertionSuccess();
    }

    ScratchFolder m_root;
    std::unique_ptr<ScratchFolder> m_otherVolume;
    std::string m_work;
    std::string m_install;
    Snapshot m_before;
    Snapshot m_after;
};

INSTANTIATE_TEST_SUITE_P(StartFolder,
                         InterruptedInstallTest,
                         ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OnAnotherVolume" : "BesideTheInstallation";
                         });

TEST_P(InterruptedInstallTest, EndedAtEveryStepTheNextStartLeavesItWhollyOldOrWhollyNew) {
    unsigned firstNew = 0, steps = 0;
    std::map<std::string, unsigned> phases;  // runs ended in each phase, as their records say
    for (unsigned k = 1; k < 400; ++k) {
        SCOPED_TRACE("ended at step " + std::to_string(k));
        RestoreBefore();
        const DWORD code = RunChild(m_work, "install", m_install, k);
        if (code == EXIT_INSTALLED) {
            steps = k - 1;
            EXPECT_EQ(State(), "new");
            break;
        }
        ASSERT_EQ(code, zr::FAULT_EXIT_CODE);
        EXPECT_TRUE(NoTornFile());
        // What the next start finds: a dead record, recovered silently by a fresh process.
        ASSERT_TRUE(FileExists(m_install + "zr~recovery.dat"));
        const std::string phase = PhaseOf(ReadFileBytes(m_install + "zr~recovery.dat"));
        ++phases[phase];
        if (phase == "staging") {
            EXPECT_TRUE(OnlyStagedFilesAdded()) << "nothing installed is renamed before the swap";
        }
        EXPECT_EQ(RunChild(m_work, "recover", m_install), static_cast<DWORD>(zr::RECOVERY_DONE));
        const std::string state = State();
        if (state == "new" && firstNew == 0)
            firstNew = k;
        // Old before the commit point, new from it on, never mixed.
        EXPECT_EQ(state, firstNew == 0 ? "old" : "new");
        EXPECT_EQ(RunChild(m_work, "recover", m_install), static_cast<DWORD>(zr::RECOVERY_NOTHING));
    }
    EXPECT_GT(steps, 20u) << "the installation did not finish within the steps tried";
    for (const char* phase : {"staging", "swapping", "committed"})
        EXPECT_GT(phases[phase], 0u) << "no run was ended while " << phase;
    EXPECT_GT(firstNew, steps / 2) << "the commit point comes after every file is in place";
    // And the installation can be updated again.
    RestoreBefore();
    EXPECT_EQ(RunChild(m_work, "install", m_install), EXIT_INSTALLED);
    EXPECT_EQ(State(), "new");
}

TEST_P(InterruptedInstallTest, AnothersFilesAtReservedNamesAreNeverTouchedWhereverTheRunEnds) {
    if (GetParam())
        GTEST_SKIP() << "the start folder's volume plays no part in the installation's names";
    // The run's names would start at 1000 (hexadecimal), handed out in the order of the entries: the
    // executable's staged file and the report's kept-aside name are another's files already, so they
    // are passed over, and no record ever names them.
    ::SetEnvironmentVariableA("ZR_FIRST_RESERVED_NAME", "1000");
    const std::map<std::string, std::string> anothers = {{"install:zr~00001000.tmp", "another's staged name"},
                                                         {"install:EXCEL\\zr~00001003.tmp", "another's aside name"}};
    m_before = With(m_before, anothers);
    m_after = With(m_after, anothers);
    unsigned steps = 0;
    for (unsigned k = 1; k < 400 && steps == 0; ++k) {
        SCOPED_TRACE("ended at step " + std::to_string(k));
        RestoreBefore();
        const DWORD code = RunChild(m_work, "install", m_install, k);
        if (code == EXIT_INSTALLED) {
            steps = k - 1;
        } else {
            ASSERT_EQ(code, zr::FAULT_EXIT_CODE);
            EXPECT_EQ(RunChild(m_work, "recover", m_install), static_cast<DWORD>(zr::RECOVERY_DONE));
        }
        const std::string state = State();
        EXPECT_TRUE(state == "old" || state == "new") << state;
    }
    ::SetEnvironmentVariableA("ZR_FIRST_RESERVED_NAME", nullptr);
    EXPECT_GT(steps, 20u);
}

TEST_P(InterruptedInstallTest, ANameTakenByAnotherWhileTheRunGoesOnIsPassedOverAndKept) {
    if (GetParam())
        GTEST_SKIP() << "the start folder's volume plays no part in the installation's names";
    // Names from 2000 on: the report's staged file and the executable's kept-aside name, announced in
    // the record, are taken by another once the record is written, before the run comes to them.
    ::SetEnvironmentVariableA("ZR_FIRST_RESERVED_NAME", "2000");
    FaultyChild child(m_work, "install", m_install, 0, 150);
    ::SetEnvironmentVariableA("ZR_FIRST_RESERVED_NAME", nullptr);
    // The record cannot be read while the run holds it: its first staged file shows it was written.
    for (int i = 0; i < 1000 && !FileExists(m_install + "zr~00002000.tmp"); ++i)
        ::Sleep(5);
    ASSERT_TRUE(FileExists(m_install + "zr~00002000.tmp"));
    const std::map<std::string, std::string> anothers = {{"install:EXCEL\\zr~00002002.tmp", "another's staged name"},
                                                         {"install:zr~00002001.tmp", "another's aside name"}};
    for (const auto& [name, contents] : anothers)
        ASSERT_TRUE(WriteFileBytes(m_install + name.substr(8), contents));
    ASSERT_TRUE(child.Running()) << "the files must appear while the run goes on";
    EXPECT_EQ(child.Wait(), EXIT_INSTALLED);
    EXPECT_EQ(Everything(), With(m_after, anothers));
}

TEST_P(InterruptedInstallTest, RecoveryEndedAtEveryStepIsCarriedOutAgainByTheNextStart) {
    // A run ended just before its commit point leaves the most to undo.
    unsigned lastOld = 0;
    for (unsigned k = 1; k < 400 && lastOld == 0; ++k) {
        RestoreBefore();
        ASSERT_EQ(RunChild(m_work, "install", m_install, k), zr::FAULT_EXIT_CODE);
        const Snapshot ended = Everything();
        ASSERT_EQ(RunChild(m_work, "recover", m_install), static_cast<DWORD>(zr::RECOVERY_DONE));
        if (State() != "old")
            lastOld = k - 1;
    }
    ASSERT_GT(lastOld, 0u);
    for (unsigned j = 1;; ++j) {
        SCOPED_TRACE("install ended at step " + std::to_string(lastOld) + ", recovery at " + std::to_string(j));
        RestoreBefore();
        ASSERT_EQ(RunChild(m_work, "install", m_install, lastOld), zr::FAULT_EXIT_CODE);
        const DWORD code = RunChild(m_work, "recover", m_install, j);
        if (code == static_cast<DWORD>(zr::RECOVERY_DONE)) {
            EXPECT_EQ(State(), "old");
            EXPECT_GT(j, 4u);
            break;
        }
        ASSERT_EQ(code, zr::FAULT_EXIT_CODE);
        EXPECT_EQ(RunChild(m_work, "recover", m_install), static_cast<DWORD>(zr::RECOVERY_DONE));
        EXPECT_EQ(State(), "old");
    }
}

TEST_P(InterruptedInstallTest, AnotherCopyMeetingARunningInstallationTouchesNothing) {
    // The child is slowed down at every step, so that this process meets its live record.
    FaultyChild running(m_work, "install", m_install, 0, 100);
    for (int i = 0; i < 200 && !FileExists(m_install + "zr~recovery.dat"); ++i)
        ::Sleep(20);
    ASSERT_TRUE(running.Running());
    // The next start does not recover a live record, and a second copy refuses to install.
    EXPECT_EQ(zr::RecoverInstallation(m_install.c_str()), zr::RECOVERY_LIVE);
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(sizeof previous, previous);
    ::SetCurrentDirectoryA(m_work.c_str());
    EXPECT_NE(zr::InstallPackage(PACKAGE_FILE_NAME, m_install.c_str(), nullptr, nullptr), INSTALL_DONE);
    ::SetCurrentDirectoryA(previous);
    ASSERT_TRUE(running.Running()) << "the check must meet the run half done";

    // The first copy finishes as if alone, and its files stay.
    EXPECT_EQ(running.Wait(), EXIT_INSTALLED);
    EXPECT_EQ(State(), "new");
}

TEST_P(InterruptedInstallTest, ARestoreThatFailsKeepsTheRecordUntilTheNextStart) {
    // The child places the executable, then fails on Images\New.bmp (another program's file takes the
    // new file's name once the executable is placed); while it rolls back, the new executable is held
    // open without sharing by another program, so it cannot be put back: failure, and the record stays.
    FaultyChild child(m_work, "install", m_install, 0, 150);
    // Watched by its size alone: opening the file to look would make the child's move of the original
    // aside fail whenever the two meet, and the run would end before anything is placed.
    const std::string exe = m_install + "ZR5048Em.exe";
    const auto placedSize = [&exe] {
        WIN32_FILE_ATTRIBUTE_DATA data;
        return ::GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
               data.nFileSizeLow == std::strlen("new exe");
    };
    zr::ScopedKernelHandle placed;
    for (int i = 0; i < 500 && !placed; ++i) {
        if (placedSize())
            placed.reset(::CreateFileA(exe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!placed)
            ::Sleep(10);
    }
    ASSERT_TRUE(placed.IsValid());
    ASSERT_TRUE(WriteFileBytes(m_install + "Images\\New.bmp", "another program's"));
    char held[16] = {};
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(placed.get(), held, sizeof held, &read, nullptr));
    ASSERT_EQ(std::string(held, read), "new exe");
    EXPECT_EQ(child.Wait(), EXIT_INSTALL_FAILED);
    EXPECT_TRUE(FileExists(m_install + "zr~recovery.dat"));
    // The failure names the file its rollback could not put back, and only that one.
    EXPECT_EQ(ReadFileBytes(m_work + "not-put-back.txt"), m_install + "ZR5048Em.exe\n");
    ::DeleteFileA((m_work + "not-put-back.txt").c_str());
    // While the file is held, a start cannot finish the record either.
    EXPECT_EQ(RunChild(m_work, "recover", m_install), static_cast<DWORD>(zr::RECOVERY_UNFINISHED));
    EXPECT_EQ(RunChild(m_work, "install", m_install), EXIT_INSTALL_FAILED) << "never installs over a record";

    placed.reset();
    EXPECT_EQ(RunChild(m_work, "recover", m_install), static_cast<DWORD>(zr::RECOVERY_DONE));
    EXPECT_EQ(State(), "old");
}

}  // namespace
