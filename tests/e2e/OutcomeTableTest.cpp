// Every install outcome, made happen for real and run through each way out of the shipped tool: /quiet
// and /passive (the exit code and the log's outcome) and the dialog (the message in the user's language,
// the exit code and the log). What each must say is read from the one outcome table, so the test
// proves that every way speaks it, and a row added to the table without a situation here fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "format/SignatureBlock.h"
#include "framework/ScopedHandle.h"
#include "res/resource.h"
#include "tests/support/FolderWatch.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/IntrudingFile.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SignedPackages.h"
#include "tests/support/TestEnvironment.h"
#include "update/Outcomes.h"

namespace {

using namespace zr;
using zr::test::ProductProcess;
using zr::test::ScratchFolder;

const std::string REPORT = "EXCEL\\Report.xls";

// Far more than the tool needs to plan and begin: the time it waits for a held file is about 3 s.
constexpr DWORD RUN_TIMEOUT_MS = 60000;

// The situation that ends an update of 1.04 (English) to 1.05 with `outcome`, for one run of the tool in
// any way. The update is offered (the startup evaluation finds nothing wrong): each outcome comes about
// only once the install has begun.
class Situation {
  public:
    explicit Situation(E_INSTALL_OUTCOME outcome) : m_outcome(outcome), m_installed("1.4.0.0", 1) {}
    Situation(const Situation&) = delete;
    Situation& operator=(const Situation&) = delete;

    // Before the tool starts: the installation, the package beside the tool, and what another program
    // holds or watches. False, with the reason, also for an outcome without a situation here.
    ::testing::AssertionResult Arrange() {
        if (!m_installed.Ok() || !zr::test::WriteFileBytes(m_installed.Folder() + REPORT, "old report"))
            return ::testing::AssertionFailure() << "no installation";
        std::vector<zr::test::SampleEntry> entries = {{REPORT, "new report"}};
        if (m_outcome == INSTALL_FAILED) {
            // A new file, then a large one that keeps the tool writing after the intruder has come.
            entries.push_back({"EXCEL\\New.xls", "new file"});
            entries.push_back({"Images\\Large.bmp", std::string(16u << 20, 'L')});
        }
        std::string package = zr::test::SamplePackage("1.05", 1, entries);
        switch (m_outcome) {
            case INSTALL_DONE:
            case INSTALL_PACKAGE_UNREADABLE:
            case INSTALL_BUSY:
            case INSTALL_FAILED:
            case INSTALL_FILES_IN_USE:
                break;
            case INSTALL_PACKAGE_REFUSED:
                // The header reads as before; the last payload is cut short.
                package.resize(package.size() - 4);
                break;
            case INSTALL_PACKAGE_UNTRUSTED:
                // A tool without keys still checks a block's digest: the last payload byte no longer matches.
                package = zr::test::FlipBit(zr::test::WithBlock(package, nullptr),
                                            -static_cast<long long>(SIGNATURE_BLOCK_SIZE) - 1);
                break;
            default:
                return ::testing::AssertionFailure() << "no situation makes install outcome " << m_outcome << " (\""
                                                     << OutcomeRow(m_outcome).szLog << "\"): add one here";
        }
        if (!zr::test::WriteFileBytes(m_work / "vupcab", package))
            return ::testing::AssertionFailure() << "cannot write the package";
        m_before = zr::test::SnapshotFolder(m_installed.Folder());

        if (m_outcome == INSTALL_PACKAGE_UNREADABLE) {
            // Another program has the package open for writing: the header still reads, but the tool
            // cannot lock it for the install.
            m_held.reset(::CreateFileA((m_work / "vupcab").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
        } else if (m_outcome == INSTALL_FILES_IN_USE || m_outcome == INSTALL_BUSY) {
            // The report held without sharing: past the tool's wait for it (files in use), or until the
            // other copy has begun (busy), so that the tool cannot get there first.
            m_held.reset(::CreateFileA((m_installed.Folder() + REPORT).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       0, nullptr));
        }
        if ((m_outcome == INSTALL_PACKAGE_UNREADABLE || m_outcome == INSTALL_FILES_IN_USE ||
             m_outcome == INSTALL_BUSY) &&
            !m_held)
            return ::testing::AssertionFailure() << "cannot hold the file";
        if (m_outcome == INSTALL_FAILED) {
            // Another program's file takes the new file's name once the tool has begun writing: renaming
            // the new one in fails, and everything is put back.
            m_intruder = std::make_unique<zr::test::IntrudeWhenStaged>(m_installed.Folder() + "EXCEL\\New.xls");
            m_watch = std::make_unique<zr::test::FolderWatch>(
                m_installed.Folder() + "EXCEL", [this](const std::string& change) { m_intruder->OnChange(change); });
            if (!m_watch->Watching())
                return ::testing::AssertionFailure() << "cannot watch the installation";
        }
        return ::testing::AssertionSuccess();
    }

    // Once the tool has judged the update and before it installs: another copy begins (its recovery
    // record, held open, is the lock), which the evaluation would have seen had it been there before.
    ::testing::AssertionResult Judged() {
        if (m_outcome != INSTALL_BUSY)
            return ::testing::AssertionSuccess();
        m_record.reset(::CreateFileA((m_installed.Folder() + "zr~recovery.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        m_held.reset();
        if (!m_record)
            return ::testing::AssertionFailure() << "cannot begin the other copy's record";
        return ::testing::AssertionSuccess();
    }

    // After the tool has ended: everything let go, and the installation as the outcome leaves it.
    ::testing::AssertionResult InstallationAfter() {
        m_held.reset();
        if (m_record) {
            m_record.reset();
            ::DeleteFileA((m_installed.Folder() + "zr~recovery.dat").c_str());
        }
        if (m_watch) {
            m_watch->Changes();
            if (!m_intruder->Done())
                return ::testing::AssertionFailure() << "the other program's file never came: the update did not fail";
        }
        if (m_outcome == INSTALL_DONE) {
            if (zr::test::ReadFileBytes(m_installed.Folder() + REPORT) != "new report")
                return ::testing::AssertionFailure() << "the report was not updated";
        } else if (zr::test::SnapshotFolder(m_installed.Folder()) != m_before) {
            // Compared whole, not printed: the folder holds an executable.
            return ::testing::AssertionFailure() << "the installation changed";
        }
        return ::testing::AssertionSuccess();
    }

    const std::string& Work() const { return m_work.Path(); }
    std::string LogPath() const { return m_work / "outcome.log"; }

  private:
    E_INSTALL_OUTCOME m_outcome;
    zr::test::ImitationInstallation m_installed;
    ScratchFolder m_work;
    std::map<std::string, std::string> m_before;
    ScopedKernelHandle m_held;    // the package or the report, held by another program
    ScopedKernelHandle m_record;  // another copy's recovery record
    std::unique_ptr<zr::test::IntrudeWhenStaged> m_intruder;
    std::unique_ptr<zr::test::FolderWatch> m_watch;
};

// Every install outcome the table has a row for, in the enumeration's order: the table answers
// another outcome's row for a value it does not hold, so the first such value ends the rows.
std::vector<E_INSTALL_OUTCOME> TableOutcomes() {
    std::vector<E_INSTALL_OUTCOME> outcomes;
    for (int value = 0; OutcomeRow(static_cast<E_INSTALL_OUTCOME>(value)).outcome == value; ++value)
        outcomes.push_back(static_cast<E_INSTALL_OUTCOME>(value));
    return outcomes;
}

// The rows the test reads its expectations from, checked against the documented values so that a wrong
// table cannot pass unseen.
void TableHoldsTheDocumentedValues() {
    ASSERT_EQ(TableOutcomes().size(), INSTALL_FILES_IN_USE + 1u) << "a row is missing, or one is out of order";
    EXPECT_EQ(OutcomeRow(INSTALL_DONE).nExitCode, 0);
    EXPECT_STREQ(OutcomeRow(INSTALL_DONE).szLog, "updated, every file is in place");
    EXPECT_STREQ(OutcomeRow(INSTALL_DONE).message.english, "Version up finished.");
    EXPECT_EQ(OutcomeRow(INSTALL_FAILED).nExitCode, 1603);
    EXPECT_EQ(OutcomeRow(INSTALL_FILES_IN_USE).nExitCode, 1618);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The log as written so far, while the tool holds it open (sharing deletion, which a C library's read
// would not).
std::string LogSoFar(const std::string& path) {
    ScopedKernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    std::string text;
    char buffer[4096];
    for (DWORD read = 0; file && ::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0;)
        text.append(buffer, read);
    return text;
}

// Waits for the log at `path` to hold `part`.
bool LogSays(const std::string& path, const std::string& part) {
    for (const DWORD start = ::GetTickCount(); !Contains(LogSoFar(path), part); ::Sleep(10)) {
        if (::GetTickCount() - start > RUN_TIMEOUT_MS)
            return false;
    }
    return true;
}

// The log of a run that ended with `row`'s outcome and `exitCode`.
::testing::AssertionResult LogTells(const std::string& path, const OUTCOME_ROW& row, int exitCode) {
    const std::string log = zr::test::ReadFileBytes(path);
    if (!Contains(log, std::string("Outcome: ") + row.szLog + "\r\n"))
        return ::testing::AssertionFailure() << "no \"Outcome: " << row.szLog << "\" in the log:\n" << log;
    if (!Contains(log, "Exit code: " + std::to_string(exitCode) + "\r\n"))
        return ::testing::AssertionFailure() << "no \"Exit code: " << exitCode << "\" in the log:\n" << log;
    return ::testing::AssertionSuccess();
}

void RunsUnattended(E_INSTALL_OUTCOME outcome, const char* mode) {
    SCOPED_TRACE(std::string(mode) + ", outcome " + std::to_string(outcome) + ": " + OutcomeRow(outcome).szLog);
    const OUTCOME_ROW& row = OutcomeRow(outcome);
    Situation situation(outcome);
    ASSERT_TRUE(situation.Arrange());
    ProductProcess tool(situation.Work(), "", std::string(mode) + " /log \"" + situation.LogPath() + "\"");
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(LogSays(situation.LogPath(), "Decision: ")) << "the tool never logged its decision";
    ASSERT_TRUE(situation.Judged());
    ASSERT_TRUE(tool.WaitForExit(RUN_TIMEOUT_MS));
    EXPECT_EQ(tool.ExitCode(), static_cast<DWORD>(row.nExitCode));
    EXPECT_TRUE(situation.InstallationAfter());
    EXPECT_TRUE(LogTells(situation.LogPath(), row, row.nExitCode));
}

// The message box's text: the row's message, as the tool shows it in the user's language.
std::wstring MessageOf(const OUTCOME_ROW& row, bool english) {
    const char* text = row.message.In(english);
    const UINT codePage = english ? 1252 : 932;
    std::wstring wide(::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0), L'\0');
    ::MultiByteToWideChar(codePage, 0, text, -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(wide.size() - 1);
    // Files in use: the message goes on with the files held (nobody is named: Wine's Restart Manager
    // lists no program), and asks Retry or Cancel.
    if (row.outcome == INSTALL_FILES_IN_USE)
        wide += L"\n\nEXCEL\\Report.xls";
    return wide;
}

void RunsTheDialog(E_INSTALL_OUTCOME outcome, bool english) {
    SCOPED_TRACE("dialog, outcome " + std::to_string(outcome) + ": " + OutcomeRow(outcome).szLog);
    const OUTCOME_ROW& row = OutcomeRow(outcome);
    Situation situation(outcome);
    ASSERT_TRUE(situation.Arrange());
    ProductProcess tool(situation.Work(), "", "/log \"" + situation.LogPath() + "\"");
    ASSERT_TRUE(tool.Opens());
    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(tool.Dialog(), IDC_EXECUTE))) << "the update is not offered";
    ASSERT_TRUE(situation.Judged());
    ::PostMessageW(::GetDlgItem(tool.Dialog(), IDC_EXECUTE), BM_CLICK, 0, 0);
    ASSERT_TRUE(
        tool.Answers(english ? L"Are you sure to version-up?" : L"バージョンアップをしますがよろしいですか？", IDYES));
    ASSERT_TRUE(tool.Answers(MessageOf(row, english).c_str(), outcome == INSTALL_FILES_IN_USE ? IDCANCEL : IDOK));
    // The dialog's run tells a deployment only whether it updated: the user closed it after reading
    // how the update ended.
    const int exitCode = outcome == INSTALL_DONE ? row.nExitCode : EXIT_USER_DECLINED;
    EXPECT_TRUE(tool.Closes(zr::test::Closing::ESCAPE, static_cast<DWORD>(exitCode)));
    EXPECT_TRUE(situation.InstallationAfter());
    EXPECT_TRUE(LogTells(situation.LogPath(), row, exitCode));
}

TEST(OutcomeTable, EveryRowIsWhatQuietAndPassiveRunsExitWithAndLog) {
    ASSERT_NO_FATAL_FAILURE(TableHoldsTheDocumentedValues());
    for (const E_INSTALL_OUTCOME outcome : TableOutcomes()) {
        ASSERT_NO_FATAL_FAILURE(RunsUnattended(outcome, "/quiet"));
        ASSERT_NO_FATAL_FAILURE(RunsUnattended(outcome, "/passive"));
    }
}

// Each locale run checks the message in its language.
TEST(OutcomeTable, EveryRowIsWhatTheDialogSaysExitsWithAndLogs) {
    ASSERT_NO_FATAL_FAILURE(TableHoldsTheDocumentedValues());
    for (const E_INSTALL_OUTCOME outcome : TableOutcomes())
        ASSERT_NO_FATAL_FAILURE(RunsTheDialog(outcome, !zr::test::RunsUnderJapaneseLocale()));
}

}  // namespace
