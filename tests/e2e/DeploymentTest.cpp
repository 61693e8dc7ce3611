// The tool run by a deployment: /quiet and its exit codes for every way a run ends, no window and no
// message box meanwhile, the log's lines, mistakes on the command line, and a deployment script as an
// administrator writes one, run by the command interpreter.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FolderWatch.h"
#include "tests/support/HeldFile.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/LinuxSide.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/RunningProduct.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/StandInRestartManager.h"
#include "tests/support/TestEnvironment.h"

namespace {

using zr::test::ReadFileBytes;
using zr::test::ScratchFolder;

struct WindowSearch {
    DWORD processId;
    int found;
};

BOOL CALLBACK CountWindows(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        ++search->found;
    return TRUE;
}

struct QuietRun {
    DWORD exitCode = ~0u;
    int windowsSeen = 0;  // top-level windows of the process, hidden ones too, seen while it ran
};

// Runs the product in `work` with `arguments` and watches its top-level windows until it ends.
::testing::AssertionResult RunsToTheEnd(const std::string& work, const std::string& arguments, QuietRun* run) {
    const std::string exe = zr::test::ProductExePath();
    PROCESS_INFORMATION process = {};
    if (!zr::test::StartChildProcess(exe.c_str(), "\"" + exe + "\" " + arguments, work.c_str(), &process))
        return ::testing::AssertionFailure() << "the tool did not start";
    zr::ScopedKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    const DWORD start = ::GetTickCount();
    for (;;) {
        WindowSearch search = {process.dwProcessId, 0};
        ::EnumWindows(&CountWindows, reinterpret_cast<LPARAM>(&search));
        run->windowsSeen += search.found;
        if (::WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0)
            break;
        if (::GetTickCount() - start > 60000) {
            ::TerminateProcess(process.hProcess, 99);
            return ::testing::AssertionFailure() << "the tool did not end within a minute (" << arguments << ")";
        }
    }
    ::GetExitCodeProcess(process.hProcess, &run->exitCode);
    return ::testing::AssertionSuccess();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Every way a /quiet run can end, with what it says in its exit code and its log.
struct QuietCase {
    int row;
    const char* installedVariant;  // the stand-in's ProductVersion, or "no-version"
    int installedLanguage;
    const char* packageVersion;  // null: no package
    int packageLanguage;
    enum { PLAIN, PRODUCT_RUNNING, PACKAGE_CUT, PACKAGE_EMPTY, DESTINATION_HELD } situation;
    DWORD exitCode;
    bool updated;
    const char* logLine;  // a line the log must hold
};

const QuietCase QUIET_CASES[] = {
    {1, "1.4.0.0", 1, "1.05", 1, QuietCase::PLAIN, 0, true, "Outcome: updated, every file is in place"},
    {2, "1.5.0.0", 1, "1.05", 1, QuietCase::PLAIN, 0, false, "is installed already, nothing to do"},
    {3, "1.12.0.0", 1, "1.05", 1, QuietCase::PLAIN, 1638, false, "Decision: installed 1.12 is newer than 1.05"},
    {4, "no-version", 1, "1.05", 1, QuietCase::PLAIN, 1605, false, "Decision: no installation to update"},
    {5, "1.4.0.0", 1, "1.05", 0, QuietCase::PLAIN, 1623, false, "language 0 (JA) is not the installation's 1 (EN)"},
    {6, "1.5.0.0", 1, "1.05", 0, QuietCase::PLAIN, 1623, false, "is not the installation's"},
    {7, "1.4.0.0", 1, nullptr, 1, QuietCase::PLAIN, 1619, false, "Package: cannot be read"},
    {8, "1.4.0.0", 1, "1.05", 1, QuietCase::PRODUCT_RUNNING, 1618, false, "Refused: the product is running"},
    {9, "1.4.0.0", 1, "1.05", 1, QuietCase::PACKAGE_CUT, 1620, false, "Outcome: the package is refused"},
    // Taken before anything is written: nothing changes, and a deployment retries later.
    {10, "1.4.0.0", 1, "1.05", 1, QuietCase::DESTINATION_HELD, 1618, false, "In use: ReadMe.txt"},
    // An empty file carries no version: refused, not taken for an older package.
    {11, "1.4.0.0", 1, "1.05", 1, QuietCase::PACKAGE_EMPTY, 1620, false, "the package carries no version"},
};

void RunQuietCase(const QuietCase& c) {
    SCOPED_TRACE("row " + std::to_string(c.row));
    zr::test::ImitationInstallation installed(c.installedVariant, c.installedLanguage);
    ASSERT_TRUE(installed.Ok());
    ASSERT_TRUE(zr::test::WriteFileBytes(installed.Folder() + "EXCEL\\Report.xls", "old report"));
    ScratchFolder work;
    if (c.packageVersion) {
        std::string bytes = zr::test::SamplePackage(
            c.packageVersion, c.packageLanguage, {{"EXCEL\\Report.xls", "new report"}, {"ReadMe.txt", "new readme"}});
        if (c.situation == QuietCase::PACKAGE_CUT)
            bytes.resize(bytes.size() - 4);
        if (c.situation == QuietCase::PACKAGE_EMPTY)
            bytes.clear();
        ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", bytes));
    }
    std::unique_ptr<zr::test::RunningProduct> product;
    if (c.situation == QuietCase::PRODUCT_RUNNING) {
        product = std::make_unique<zr::test::RunningProduct>();
        ASSERT_TRUE(product->Ready());
    }
    ASSERT_TRUE(zr::test::WriteFileBytes(installed.Folder() + "ReadMe.txt", "old readme"));
    const auto before = zr::test::SnapshotFolder(installed.Folder());
    zr::ScopedKernelHandle held;
    if (c.situation == QuietCase::DESTINATION_HELD) {
        // The last entry's destination is held open without sharing by another program: met before
        // anything is written.
        held.reset(::CreateFileA((installed.Folder() + "ReadMe.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 0, nullptr));
        ASSERT_TRUE(held);
    }

    QuietRun run;
    ASSERT_TRUE(RunsToTheEnd(work.Path(), "/quiet /log \"" + work.Path() + "deploy log.txt\"", &run));
    held.reset();
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.windowsSeen, 0) << "a quiet run shows no window and no message box";
    if (c.updated) {
        EXPECT_EQ(ReadFileBytes(installed.Folder() + "EXCEL\\Report.xls"), "new report");
        EXPECT_EQ(ReadFileBytes(installed.Folder() + "ReadMe.txt"), "new readme");
    } else {
        // Compared whole, not printed: the folder holds an executable.
        EXPECT_TRUE(zr::test::SnapshotFolder(installed.Folder()) == before) << "the installation changed";
    }
    const std::string log = ReadFileBytes(work / "deploy log.txt");
    EXPECT_TRUE(Contains(log, c.logLine)) << log;
    EXPECT_TRUE(Contains(log, "Exit code: " + std::to_string(c.exitCode) + "\r\n")) << log;
}

// Both locale runs: a quiet run has no language of its own to show.
TEST(QuietRun, EndsWithWindowsInstallersExitCodes) {
    for (const QuietCase& c : QUIET_CASES)
        ASSERT_NO_FATAL_FAILURE(RunQuietCase(c));
}

// A destination held by another process, in each of three ways, in both unattended modes: 1618,
// nothing changed and no file of the installer's ever made, the file and (through the stand-in
// Restart Manager; Wine's own names nobody) its holder in the log.
TEST(QuietRun, AFileInUseChangesNothingExitsBusyAndIsLogged) {
    const struct {
        int row;
        zr::test::Hold how;
        const char* mode;
        bool named;  // the stand-in Restart Manager answers
    } CASES[] = {
        {1, zr::test::Hold::READ_SHARING, "/quiet", true},
        {2, zr::test::Hold::READ_WRITE_SHARING, "/quiet", true},
        {3, zr::test::Hold::BYTE_RANGE_LOCK, "/quiet", true},
        {4, zr::test::Hold::READ_SHARING, "/passive", true},
        {5, zr::test::Hold::READ_WRITE_SHARING, "/passive", true},
        {6, zr::test::Hold::BYTE_RANGE_LOCK, "/passive", true},
        {7, zr::test::Hold::READ_SHARING, "/quiet", false},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        zr::test::ImitationInstallation installed("1.4.0.0", 1);
        ASSERT_TRUE(installed.Ok());
        const std::string report = installed.Folder() + "EXCEL\\Report.xls";
        ASSERT_TRUE(zr::test::WriteFileBytes(report, "old report"));
        ScratchFolder work;
        ASSERT_TRUE(zr::test::WriteFileBytes(
            work / "vupcab",
            zr::test::SamplePackage("1.05", 1, {{"ReadMe.txt", "new readme"}, {"EXCEL\\Report.xls", "new report"}})));
        zr::test::HeldFile held(report, c.how);
        ASSERT_TRUE(held.Holding());
        std::unique_ptr<zr::test::StandInRestartManager> standIn;
        if (c.named) {
            standIn = std::make_unique<zr::test::StandInRestartManager>(
                report + "|" + std::to_string(held.ProcessId()) + "|Spreadsheet");
            ASSERT_TRUE(standIn->Ready());
        }
        const auto before = zr::test::SnapshotFolder(installed.Folder());
        zr::test::FolderWatch watch(installed.Folder());
        ASSERT_TRUE(watch.Watching());
        QuietRun run;
        ASSERT_TRUE(
            RunsToTheEnd(work.Path(), std::string(c.mode) + " /log \"" + work.Path() + "deploy log.txt\"", &run));
        for (const std::string& change : watch.Changes())
            EXPECT_EQ(change.find("zr~"), std::string::npos) << change;
        EXPECT_EQ(run.exitCode, 1618u);
        EXPECT_TRUE(zr::test::SnapshotFolder(installed.Folder()) == before) << "the installation changed";
        const std::string log = ReadFileBytes(work / "deploy log.txt");
        EXPECT_TRUE(Contains(log, "In use: EXCEL\\Report.xls\r\n")) << log;
        EXPECT_FALSE(Contains(log, "In use: ReadMe.txt")) << log;
        EXPECT_TRUE(Contains(log, c.named ? "Held by: Spreadsheet (process " + std::to_string(held.ProcessId()) + ")"
                                          : std::string("Held by: a program the system does not name")))
            << log;
        EXPECT_TRUE(Contains(log, "Outcome: files are in use by another program, nothing changed")) << log;
        EXPECT_TRUE(Contains(log, "Exit code: 1618\r\n")) << log;
    }
}

// A holder that lets go after about a second: the update waits and completes, asking nothing.
TEST(QuietRun, AHoldThatEndsWithinTheWaitIsWaitedFor) {
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    const std::string report = installed.Folder() + "EXCEL\\Report.xls";
    ASSERT_TRUE(zr::test::WriteFileBytes(report, "old report"));
    ScratchFolder work;
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab",
                                         zr::test::SamplePackage("1.05", 1, {{"EXCEL\\Report.xls", "new report"}})));
    zr::test::HeldFile held(report, zr::test::Hold::READ_SHARING, 1000);
    ASSERT_TRUE(held.Holding());
    QuietRun run;
    ASSERT_TRUE(RunsToTheEnd(work.Path(), "/quiet", &run));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(ReadFileBytes(report), "new report");
}

TEST(QuietRun, LogsEveryStepOfASuccessfulUpdateAndAppends) {
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    ScratchFolder work;
    // The new executable too, so that a second run finds 1.05 installed.
    const std::string newExe = ReadFileBytes(zr::test::StandInExePath("1.5.0.0"));
    ASSERT_FALSE(newExe.empty());
    ASSERT_TRUE(zr::test::WriteFileBytes(
        work / "vupcab",
        zr::test::SamplePackage(
            "1.05", 1, {{"ZR5048Em.exe", newExe}, {"EXCEL\\Report.xls", "new report"}, {"Images\\Logo.bmp", "logo"}})));
    // A log in a folder with spaces: the path as given.
    const std::string logPath = work / "log folder\\update log.txt";
    ASSERT_TRUE(::CreateDirectoryA((work / "log folder").c_str(), nullptr));
    QuietRun run;
    ASSERT_TRUE(RunsToTheEnd(work.Path(), "-QUIET -Log \"" + logPath + "\"", &run));
    EXPECT_EQ(run.exitCode, 0u);

    const std::string log = ReadFileBytes(logPath);
    const std::string expected[] = {
        "ZR5048VersionUp 1.2.0.1",
        "Command line: \"",
        "Package: version 1.05, language 1 (EN)",
        "Installation folder: " + installed.Folder() + ", found in the",
        "Installed: version 1.04, language 1 (EN)",
        "Decision: installed 1.04 is lower than 1.05, same language: update",
        "Plan: 3 files, " + std::to_string(newExe.size() + 14) + " bytes",
        "Placed: ZR5048Em.exe (" + std::to_string(newExe.size()) + " bytes)",
        "Placed: EXCEL\\Report.xls (10 bytes)",
        "Placed: Images\\Logo.bmp (4 bytes)",
        "Outcome: updated, every file is in place",
        "Exit code: 0",
    };
    std::size_t at = 0;
    for (const std::string& line : expected) {
        SCOPED_TRACE(line);
        const std::size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing, or out of order:\n" << log;
        at = found;
    }
    EXPECT_TRUE(Contains(log, "-Log \"" + logPath + "\"")) << "the command line as given";
    // A line starts with its time: "YYYY-MM-DD hh:mm:ss.mmm UTC  ".
    EXPECT_EQ(log.substr(4, 1) + log.substr(7, 1) + log.substr(23, 6), "-- UTC  ") << log;

    // Run again: the installation is current now, the log grows.
    ASSERT_TRUE(RunsToTheEnd(work.Path(), "/quiet /log \"" + logPath + "\"", &run));
    EXPECT_EQ(run.exitCode, 0u);
    const std::string again = ReadFileBytes(logPath);
    EXPECT_EQ(again.compare(0, log.size(), log), 0) << "appended, never rewritten";
    EXPECT_TRUE(Contains(again.substr(log.size()), "is installed already, nothing to do"));
}

// Mistakes on the command line: nothing is changed, the exit code says so. With /quiet no usage box
// appears either; without it the usage is shown (and answered here).
struct MistakeCase {
    int row;
    std::string arguments;
    DWORD exitCode;
};

TEST(QuietRun, RefusesAMistakenCommandLineWithoutAWindow) {
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    ScratchFolder work;
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage()));
    const auto before = zr::test::SnapshotFolder(installed.Folder());
    const MistakeCase cases[] = {
        {1, "/quiet /silent", 1639},
        {2, "/quiet /log", 1639},
        {3, "/quiet /passive", 1639},
        {4, "/QUIET /?", 0},
        {5, "/quiet /log \"" + work.Path() + "no such folder\\x.log\"", 1622},
        // The log's file forgotten: the next option is not taken for it.
        {6, "/log /quiet", 1639},
        {7, "/quiet /log /passive", 1639},
        {8, "/log -quiet", 1639},
    };
    for (const MistakeCase& c : cases) {
        SCOPED_TRACE(c.row);
        QuietRun run;
        ASSERT_TRUE(RunsToTheEnd(work.Path(), c.arguments, &run));
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.windowsSeen, 0);
    }
    EXPECT_TRUE(zr::test::SnapshotFolder(installed.Folder()) == before) << "the installation changed";
    // What "/log /quiet" made before: a log named \quiet at the root of the work folder's drive.
    const std::string root = work.Path().substr(0, 3);
    EXPECT_EQ(::GetFileAttributesA((root + "quiet").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesA((root + "passive").c_str()), INVALID_FILE_ATTRIBUTES);
}

struct UsageCase {
    int row;
    const char* arguments;
    const wchar_t* english;
    const wchar_t* japanese;
    DWORD exitCode;
};

TEST(CommandLine, ShowsTheUsageForHelpAndForAMistake) {
    ScratchFolder work;
    const bool japanese = zr::test::RunsUnderJapaneseLocale();
    const UsageCase cases[] = {
        {1, "/?", L"Usage: ZR5048VersionUp", L"使い方: ZR5048VersionUp", 0},
        {2, "-help", L"Usage: ZR5048VersionUp", L"使い方: ZR5048VersionUp", 0},
        {3, "/bogus", L"This command line is not valid: /bogus", L"コマンドラインが正しくありません: /bogus", 1639},
        {4, "/passive /log", L"This command line is not valid: /log without a file",
         L"コマンドラインが正しくありません: /log without a file", 1639},
        {5, "/log /passive", L"This command line is not valid: /log without a file",
         L"コマンドラインが正しくありません: /log without a file", 1639},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.row);
        zr::test::ProductProcess tool(work.Path(), "", c.arguments);
        ASSERT_TRUE(tool.Started());
        HWND box = tool.WaitForDialog();
        ASSERT_NE(box, nullptr) << "no usage box";
        std::wstring text;
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (zr::test::ClassName(child) == L"Static" && !zr::test::WindowText(child).empty())
                text = zr::test::WindowText(child);
        }
        const std::wstring expected = japanese ? c.japanese : c.english;
        EXPECT_EQ(text.compare(0, expected.size(), expected), 0);
        EXPECT_NE(text.find(L"README"), std::wstring::npos) << "the usage says where the exit codes are";
        ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(tool.WaitForExit());
        EXPECT_EQ(tool.ExitCode(), c.exitCode);
    }
}

// A deployment script as an administrator writes one: the tool beside it, /quiet with a log, and a
// branch on the exit code. Run by the command interpreter, twice: the update, then a PC that is current.
TEST(QuietRun, ADeploymentScriptBranchesOnTheExitCode) {
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    ScratchFolder work;
    ASSERT_TRUE(
        zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage("1.05", 1, {{"EXCEL\\Report.xls", "new"}})));
    ASSERT_TRUE(::CopyFileA(zr::test::ProductExePath().c_str(), (work / "ZR5048VersionUp.exe").c_str(), FALSE));
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "deploy.cmd",
                                         "@echo off\r\n"
                                         "cd /d \"%~dp0\"\r\n"
                                         "ZR5048VersionUp.exe /quiet /log \"%~dp0deploy log.txt\"\r\n"
                                         "set CODE=%ERRORLEVEL%\r\n"
                                         "if %CODE% EQU 0 goto updated\r\n"
                                         "if %CODE% EQU 1618 goto later\r\n"
                                         "echo failed %CODE%>>result.txt\r\n"
                                         "exit /b %CODE%\r\n"
                                         ":later\r\n"
                                         "echo retry later>>result.txt\r\n"
                                         "exit /b 1618\r\n"
                                         ":updated\r\n"
                                         "echo updated>>result.txt\r\n"
                                         "exit /b 0\r\n"));
    const auto runScript = [&](DWORD* code) {
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(zr::test::StartChildProcess(nullptr, "cmd.exe /c \"" + (work / "deploy.cmd") + "\"",
                                                work.Path().c_str(), &process));
        zr::ScopedKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
        ASSERT_EQ(::WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        ::GetExitCodeProcess(process.hProcess, code);
    };
    DWORD code = ~0u;
    ASSERT_NO_FATAL_FAILURE(runScript(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadFileBytes(installed.Folder() + "EXCEL\\Report.xls"), "new");
    {
        // The product runs on this PC: the script is told to come back later.
        zr::test::RunningProduct product;
        ASSERT_TRUE(product.Ready());
        ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage("1.06", 1)));
        ASSERT_NO_FATAL_FAILURE(runScript(&code));
        EXPECT_EQ(code, 1618u);
    }
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage("1.05", 0)));
    ASSERT_NO_FATAL_FAILURE(runScript(&code));
    EXPECT_EQ(code, 1623u);
    EXPECT_EQ(ReadFileBytes(work / "result.txt"), "updated\r\nretry later\r\nfailed 1623\r\n");
    EXPECT_TRUE(Contains(ReadFileBytes(work / "deploy log.txt"), "Exit code: 1623"));
}

// The log of an elevated run is written to the file named and nowhere else: a link at its path or
// above it, or a hard link there, is refused (1622, nothing done), the file behind it unchanged and
// nothing created beside it; a plain file of another program's is appended to. The links are made from
// the Linux side (tests/support/LinuxSide.h), standing in for symbolic links and junctions.
struct LogCase {
    int row;
    enum { NEW_FILE, PLAIN_FILE, LINK_TO_FILE, LINK_TO_NOTHING, HARD_LINK, LINKED_FOLDER, LINKED_FOLDER_WITH_FILE } at;
    DWORD exitCode;
};

void RunLogCase(const LogCase& c) {
    SCOPED_TRACE("row " + std::to_string(c.row));
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    ASSERT_TRUE(zr::test::WriteFileBytes(installed.Folder() + "ReadMe.txt", "old readme"));
    ScratchFolder work, outside;
    ASSERT_TRUE(
        zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage("1.05", 1, {{"ReadMe.txt", "new readme"}})));
    const std::string secret = "an administrator's file\r\n";
    ASSERT_TRUE(zr::test::WriteFileBytes(outside / "Secret.txt", secret));
    ASSERT_TRUE(::CreateDirectoryA((work / "logs").c_str(), nullptr));
    const std::string logPath = work / "logs\\deploy.log";
    zr::test::SymbolicLinks links;
    switch (c.at) {
        case LogCase::NEW_FILE:
            break;
        case LogCase::PLAIN_FILE:
            ASSERT_TRUE(zr::test::WriteFileBytes(logPath, "another program's lines\r\n"));
            break;
        case LogCase::LINK_TO_FILE:
            ASSERT_TRUE(links.Make(logPath, outside / "Secret.txt"));
            break;
        case LogCase::LINK_TO_NOTHING:
            ASSERT_TRUE(links.Make(logPath, outside / "Planted.txt"));
            break;
        case LogCase::HARD_LINK:
            ASSERT_TRUE(::CreateHardLinkA(logPath.c_str(), (outside / "Secret.txt").c_str(), nullptr));
            break;
        case LogCase::LINKED_FOLDER_WITH_FILE:
            ASSERT_TRUE(zr::test::WriteFileBytes(outside / "deploy.log", secret));
            [[fallthrough]];
        case LogCase::LINKED_FOLDER:
            ASSERT_TRUE(::RemoveDirectoryA((work / "logs").c_str()));
            ASSERT_TRUE(links.Make(work / "logs", outside.Path()));
            break;
    }
    const auto outsideBefore = zr::test::SnapshotFolder(outside.Path());
    const auto installedBefore = zr::test::SnapshotFolder(installed.Folder());

    QuietRun run;
    ASSERT_TRUE(RunsToTheEnd(work.Path(), "/quiet /log \"" + logPath + "\"", &run));
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.windowsSeen, 0);
    EXPECT_TRUE(zr::test::SnapshotFolder(outside.Path()) == outsideBefore) << "a file behind a link changed";
    if (c.exitCode != 0) {
        EXPECT_TRUE(zr::test::SnapshotFolder(installed.Folder()) == installedBefore) << "something was done";
        return;
    }
    EXPECT_EQ(ReadFileBytes(installed.Folder() + "ReadMe.txt"), "new readme");
    const std::string log = ReadFileBytes(logPath);
    if (c.at == LogCase::PLAIN_FILE) {
        EXPECT_EQ(log.compare(0, 25, "another program's lines\r\n"), 0) << "appended, never rewritten: " << log;
    }
    EXPECT_TRUE(Contains(log, "Exit code: 0\r\n")) << log;
}

TEST(QuietRun, WritesItsLogToTheFileNamedOrNowhere) {
    const LogCase cases[] = {
        {1, LogCase::NEW_FILE, 0},
        {2, LogCase::PLAIN_FILE, 0},
        {3, LogCase::LINK_TO_FILE, 1622},
        {4, LogCase::LINK_TO_NOTHING, 1622},
        {5, LogCase::HARD_LINK, 1622},
        {6, LogCase::LINKED_FOLDER, 1622},
        {7, LogCase::LINKED_FOLDER_WITH_FILE, 1622},
    };
    for (const LogCase& c : cases)
        ASSERT_NO_FATAL_FAILURE(RunLogCase(c));
}

}  // namespace

namespace {

// The shipped 32-bit tool on 64-bit Windows finds the installation where the Windows Installer
// registers it, in the 64-bit view, and its log says so. (In the EnglishDialog set, which the 64-bit
// prefix runs.)
using EnglishDialog = zr::test::EnglishLocaleTest;

TEST_F(EnglishDialog, QuietLogNamesThe64BitRegistryView) {
    if (!zr::test::RunsUnderWow64())
        GTEST_SKIP() << "one registry view only: a 32-bit prefix, or a 64-bit build";
    zr::test::ImitationInstallation installed("1.4.0.0", 1, KEY_WOW64_64KEY);
    ASSERT_TRUE(installed.Ok());
    ScratchFolder work;
    ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage()));
    QuietRun run;
    ASSERT_TRUE(RunsToTheEnd(work.Path(), "/quiet /log update.log", &run));
    EXPECT_EQ(run.exitCode, 0u);
    const std::string log = ReadFileBytes(work / "update.log");
    EXPECT_TRUE(Contains(log, "Installation folder: " + installed.Folder() +
                                  ", found in the 64-bit registry view (asked for from WOW64)"))
        << log;
}

}  // namespace
