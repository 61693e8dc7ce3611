// The real tool meeting an interrupted update at its start: it finishes the recovery silently and
// offers the update again; a record still held by a running installation is left alone, with the
// None text and Execute disabled; and two copies installing at once leave one update, whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "framework/ScopedHandle.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using zr::test::ProductProcess;
using zr::test::ReadFileBytes;
using zr::test::ScratchFolder;
// The texts checked are the English ones; the Japanese run skips these.
using EnglishDialog = zr::test::EnglishLocaleTest;

constexpr DWORD FAULT_EXIT_CODE = 0xFA17;  // journal/FaultPoint.h

// Runs the installer with the fault switch (ZR_FAULTY_INSTALLER) in `work`; ends it at `step`
// (0: never), slowed by `delayMs` at every step. Returns the process, or null.
HANDLE StartFaultyInstaller(const std::string& work, const std::string& folder, unsigned step, unsigned delayMs) {
    const std::string exe = zr::test::RequiredPath("ZR_FAULTY_INSTALLER");
    ::SetEnvironmentVariableA("ZR_FAULT_STEP", step ? std::to_string(step).c_str() : nullptr);
    ::SetEnvironmentVariableA("ZR_FAULT_DELAY_MS", delayMs ? std::to_string(delayMs).c_str() : nullptr);
    const std::string line = "\"" + exe + "\" install \"" + folder + "\\\"";  // the folder ends in '\'
    PROCESS_INFORMATION process = {};
    const bool started = zr::test::StartChildProcess(nullptr, line, work.c_str(), &process);
    ::SetEnvironmentVariableA("ZR_FAULT_STEP", nullptr);
    ::SetEnvironmentVariableA("ZR_FAULT_DELAY_MS", nullptr);
    if (!started)
        return nullptr;
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD WaitForExitCode(HANDLE process) {
    DWORD code = ~0u;
    if (::WaitForSingleObject(process, 60000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    return code;
}

// An installation of 1.04 (English) and a package of 1.05 whose first entry is the executable.
struct UpdateWorld {
    UpdateWorld() {
        oldExe = ReadFileBytes(installed.ExePath());
        newExe = ReadFileBytes(zr::test::StandInExePath("1.5.0.0"));
        zr::PackageContents contents;
        contents.version = "1.05";
        contents.language = 1;
        contents.entries.push_back({"ZR5048Em.exe", "", newExe});
        contents.entries.push_back({"EXCEL\\Report.xls", "", "new report"});
        ok = installed.Ok() && !oldExe.empty() && !newExe.empty() &&
             zr::test::WriteFileBytes(installed.Folder() + "EXCEL\\Report.xls", "old report") &&
             zr::test::WriteFileBytes(work / "vupcab", zr::BuildPackageBytes(contents));
    }
    std::string Record() const { return installed.Folder() + "zr~recovery.dat"; }

    zr::test::ImitationInstallation installed;
    ScratchFolder work;
    std::string oldExe, newExe;
    bool ok = false;
};

// The message box's text: its one static control with text.
std::wstring MessageText(HWND box) {
    std::wstring found;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (zr::test::ClassName(child) == L"Static" && !zr::test::WindowText(child).empty())
            found = zr::test::WindowText(child);
    }
    return found;
}

struct Shown {
    std::wstring installed;
    bool executeEnabled;
};

Shown StartAndLook(const std::string& work) {
    ProductProcess tool(work);
    HWND dialog = tool.WaitForDialog();
    if (dialog == nullptr)
        return {L"<no dialog>", false};
    const Shown shown = {zr::test::ControlText(dialog, IDC_INSTALLED_VERSION),
                         ::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)) != FALSE};
    zr::test::PressKey(dialog, VK_ESCAPE);
    tool.WaitForExit();
    return shown;
}

TEST_F(EnglishDialog, AnUpdateEndedAfterTheExecutableWasReplacedIsUndoneAtTheNextStart) {
    UpdateWorld world;
    ASSERT_TRUE(world.ok);
    // The first step at which the run ends with the new executable in place.
    unsigned step = 1;
    for (; step < 100; ++step) {
        HANDLE child = StartFaultyInstaller(world.work.Path(), world.installed.Folder(), step, 0);
        ASSERT_NE(child, nullptr) << "ZR_FAULTY_INSTALLER is not set or does not start";
        ASSERT_EQ(WaitForExitCode(child), FAULT_EXIT_CODE);
        if (ReadFileBytes(world.installed.ExePath()) == world.newExe)
            break;
        ASSERT_EQ(StartAndLook(world.work.Path()).installed, L"1.04(EN)");  // recovers the earlier step
    }
    ASSERT_TRUE(zr::test::FileExists(world.Record()));

    // No message box at start: the dialog shows the true installed version and offers Execute again.
    const Shown shown = StartAndLook(world.work.Path());
    EXPECT_EQ(shown.installed, L"1.04(EN)");
    EXPECT_TRUE(shown.executeEnabled);
    EXPECT_EQ(ReadFileBytes(world.installed.ExePath()), world.oldExe);
    EXPECT_EQ(ReadFileBytes(world.installed.Folder() + "EXCEL\\Report.xls"), "old report");
    EXPECT_FALSE(zr::test::FileExists(world.Record()));
    EXPECT_EQ(zr::test::SnapshotFolder(world.work.Path()).size(), 1u) << "only the package stays in the start folder";
}

TEST_F(EnglishDialog, ARecordHeldByARunningInstallationIsNotTouchedAndKeepsExecuteDisabled) {
    UpdateWorld world;
    ASSERT_TRUE(world.ok);
    {
        zr::ScopedKernelHandle held(::CreateFileA(world.Record().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.IsValid());
        const Shown shown = StartAndLook(world.work.Path());
        EXPECT_EQ(shown.installed, L"(none)");
        EXPECT_FALSE(shown.executeEnabled);
    }
    // Once let go (the run ended before writing anything), the next start removes it.
    const Shown shown = StartAndLook(world.work.Path());
    EXPECT_EQ(shown.installed, L"1.04(EN)");
    EXPECT_TRUE(shown.executeEnabled);
    EXPECT_FALSE(zr::test::FileExists(world.Record()));
}

TEST_F(EnglishDialog, OfTwoCopiesInstallingAtOnceOneSucceedsAndTheOtherChangesNothing) {
    UpdateWorld world;
    ASSERT_TRUE(world.ok);
    ProductProcess tool(world.work.Path());
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)));

    // The other copy, slowed down, takes the installation first.
    HANDLE other = StartFaultyInstaller(world.work.Path(), world.installed.Folder(), 0, 200);
    ASSERT_NE(other, nullptr);
    for (int i = 0; i < 250 && !zr::test::FileExists(world.Record()); ++i)
        ::Sleep(20);
    ASSERT_TRUE(zr::test::FileExists(world.Record()));

    ::PostMessageW(::GetDlgItem(dialog, IDC_EXECUTE), BM_CLICK, 0, 0);
    HWND box = tool.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    ::PostMessageW(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    for (int i = 0; i < 200 && ::IsWindow(box); ++i)
        ::Sleep(25);
    box = tool.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), L"Version up failure.");
    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    for (int i = 0; i < 200 && ::IsWindow(box); ++i)
        ::Sleep(25);

    EXPECT_EQ(WaitForExitCode(other), 0u) << "the first copy finishes as if alone";
    EXPECT_EQ(ReadFileBytes(world.installed.ExePath()), world.newExe);
    EXPECT_EQ(ReadFileBytes(world.installed.Folder() + "EXCEL\\Report.xls"), "new report");
    EXPECT_FALSE(zr::test::FileExists(world.Record()));
    zr::test::PressKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(tool.WaitForExit());
}

}  // namespace

namespace {

// A checksum of every file below `folder` (FNV-1a of the contents), read in pieces: the large
// installation would not fit a snapshot of whole contents twice.
std::map<std::string, std::uint64_t> Manifest(const std::string& folder, const std::string& relative = "") {
    std::map<std::string, std::uint64_t> manifest;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return manifest;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const auto& entry : Manifest(folder, relative + name + "\\"))
                manifest.insert(entry);
            continue;
        }
        std::uint64_t hash = 14695981039346656037ull;
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen((folder + relative + name).c_str(), "rb"), &std::fclose);
        static char buffer[1 << 16];
        for (std::size_t n; file && (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
            for (std::size_t i = 0; i < n; ++i)
                hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        }
        manifest[relative + name] = hash;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return manifest;
}

// The real tool ended by its process id at several moments of an update of 40 files of 8 MiB, the
// executable first: the next start finds the installation wholly old (and offers the update again)
// or, killed after the commit point, wholly new; never mixed, and nothing of the installer's left.
TEST_F(EnglishDialog, AToolKilledDuringALargeUpdateLeavesTheInstallationWhollyOldOrNew) {
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    constexpr std::size_t SIZE = 8u << 20;
    std::string oldExe = ReadFileBytes(installed.ExePath()),
                newExe = ReadFileBytes(zr::test::StandInExePath("1.5.0.0"));
    ASSERT_FALSE(oldExe.empty());
    ASSERT_FALSE(newExe.empty());
    oldExe.resize(SIZE, 'o');  // bytes after the image do not disturb the version resource
    newExe.resize(SIZE, 'n');
    ScratchFolder work, sources;
    {
        // Streamed from source files: 320 MiB at once do not fit a 32-bit test process.
        zr::PackageContents contents;
        contents.version = "1.05";
        contents.language = 1;
        ASSERT_TRUE(zr::test::WriteFileBytes(sources / "exe", newExe));
        contents.entries.push_back({"ZR5048Em.exe", sources / "exe", ""});
        for (int i = 1; i < 40; ++i) {
            const std::string source = sources / std::to_string(i);
            ASSERT_TRUE(zr::test::WriteFileBytes(source, std::string(SIZE, char('A' + i % 26))));
            contents.entries.push_back({"EXCEL\\F" + std::to_string(i) + ".xls", source, ""});
        }
        std::string error;
        ASSERT_TRUE(zr::WritePackage(contents, work / "vupcab", &error)) << error;
    }
    const auto writeOld = [&] {
        zr::test::DeleteTree(installed.Folder() + "EXCEL");
        ::CreateDirectoryA((installed.Folder() + "EXCEL").c_str(), nullptr);
        bool ok = zr::test::WriteFileBytes(installed.ExePath(), oldExe);
        for (int i = 1; i < 40; ++i)
            ok &= zr::test::WriteFileBytes(installed.Folder() + "EXCEL\\F" + std::to_string(i) + ".xls",
                                           std::string(SIZE, char('a' + i % 26)));
        return ok;
    };
    ASSERT_TRUE(writeOld());
    const auto oldManifest = Manifest(installed.Folder());
    const auto workManifest = Manifest(work.Path());

    std::map<std::string, std::uint64_t> newManifest;
    int interrupted = 0;  // kills that met a running update
    // The first run goes to the end, for the new installation's manifest and the update's duration;
    // the kills then fall at fractions of that duration.
    DWORD duration = 0;
    for (const int percent : {-1, 3, 15, 30, 45, 60, 75, 90}) {
        const DWORD delay = percent < 0 ? 0xFFFFFFFFu : duration * percent / 100;
        SCOPED_TRACE("killed " + std::to_string(delay) + " ms after the confirmation");
        ASSERT_TRUE(writeOld());
        {
            ProductProcess tool(work.Path());
            HWND dialog = tool.WaitForDialog();
            ASSERT_NE(dialog, nullptr);
            ::PostMessageW(::GetDlgItem(dialog, IDC_EXECUTE), BM_CLICK, 0, 0);
            HWND box = tool.WaitForMessageBox();
            ASSERT_NE(box, nullptr);
            const DWORD start = ::GetTickCount();
            ::PostMessageW(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
            if (delay == 0xFFFFFFFFu) {
                // The whole update, for the manifest of the new installation.
                for (int i = 0; i < 200 && ::IsWindow(box); ++i)
                    ::Sleep(25);
                box = tool.WaitForMessageBox(120000);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(MessageText(box), L"Version up finished.");
                duration = ::GetTickCount() - start;
                newManifest = Manifest(installed.Folder());
            } else {
                ::Sleep(delay);
            }
            // By process id, as a user's task manager would.
            HANDLE thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, tool.ThreadId());
            ASSERT_NE(thread, nullptr);
            HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ::GetProcessIdOfThread(thread));
            ::CloseHandle(thread);
            ASSERT_NE(process, nullptr);
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 20000);
            ::CloseHandle(process);
        }
        if (delay == 0xFFFFFFFFu)
            continue;
        const bool met = zr::test::FileExists(installed.Folder() + "zr~recovery.dat");
        interrupted += met;
        const Shown shown = StartAndLook(work.Path());
        const auto now = Manifest(installed.Folder());
        const bool old = now == oldManifest;
        EXPECT_TRUE(old || now == newManifest) << "the installation must be wholly old or wholly new";
        EXPECT_EQ(shown.installed, old ? L"1.04(EN)" : L"1.05(EN)");
        EXPECT_EQ(shown.executeEnabled, old);
        EXPECT_EQ(Manifest(work.Path()), workManifest) << "the start folder is as before";
        std::printf("killed after %lu of %lu ms: %s the update, found it %s\n", delay, duration,
                    met ? "during" : "outside", old ? "old" : "new");
    }
    EXPECT_GE(interrupted, 3) << "the kills must meet the update half done";
}

}  // namespace
