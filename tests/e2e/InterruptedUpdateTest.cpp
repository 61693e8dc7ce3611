// The real tool meeting an interrupted update at its start: it finishes the recovery silently and
// offers the update again; a record still held by a running installation is left alone, with the
// None text and Execute disabled; and two copies installing at once leave one update, whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "framework/ScopedHandle.h"
#include "res/resource.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using zr::test::ProductProcess;
using zr::test::ReadFileBytes;
using zr::test::ScratchFolder;

constexpr DWORD FAULT_EXIT_CODE = 0xFA17;  // package/FaultPoint.h

// Runs the installer with the fault switch (ZR_FAULTY_INSTALLER) in `work`; ends it at `step`
// (0: never), slowed by `delayMs` at every step. Returns the process, or null.
HANDLE StartFaultyInstaller(const std::string& work, const std::string& folder, unsigned step, unsigned delayMs) {
    const char* exe = std::getenv("ZR_FAULTY_INSTALLER");
    if (exe == nullptr)
        return nullptr;
    ::SetEnvironmentVariableA("ZR_FAULT_STEP", step ? std::to_string(step).c_str() : nullptr);
    ::SetEnvironmentVariableA("ZR_FAULT_DELAY_MS", delayMs ? std::to_string(delayMs).c_str() : nullptr);
    std::string line = std::string("\"") + exe + "\" install \"" + folder + "\\\"";  // the folder ends in '\'
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        ::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, work.c_str(), &startup, &process);
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

TEST(EnglishDialog, AnUpdateEndedAfterTheExecutableWasReplacedIsUndoneAtTheNextStart) {
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

TEST(EnglishDialog, ARecordHeldByARunningInstallationIsNotTouchedAndKeepsExecuteDisabled) {
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

TEST(EnglishDialog, OfTwoCopiesInstallingAtOnceOneSucceedsAndTheOtherChangesNothing) {
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
