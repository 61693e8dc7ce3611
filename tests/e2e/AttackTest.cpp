// The real tool under attack by another, unelevated program of the same user, which can write the
// folder the tool starts from (a download folder) but not the installation: links in and to the start
// folder, files replaced as soon as they are closed there, hard links, a record of the user's making,
// the package rewritten or held open, and links below the installation. Whatever the attack, nothing
// outside the installation changes (nor is even touched, where a watch can tell), the installation ends
// wholly old or holding exactly the package's bytes, and no installed file shares its data with a file
// outside. Links and the watch for closed files are made from the Linux side (tests/support/LinuxSide.h),
// standing in for junctions and change notifications on Windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "res/resource.h"
#include "tests/support/FileManifest.h"
#include "tests/support/FolderWatch.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/IntrudingFile.h"
#include "tests/support/LinuxSide.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using zr::test::FileManifest;
using zr::test::FolderWatch;
using zr::test::LinuxSide;
using zr::test::ProductProcess;
using zr::test::SampleEntry;
using zr::test::ScratchFolder;
using zr::test::SymbolicLinks;
using zr::test::TakeManifest;
using zr::test::UnixPath;

// The texts checked are the English ones; the Japanese run skips these.
class AttackedTool : public zr::test::EnglishLocaleTest {};

const wchar_t CONFIRM[] = L"Are you sure to version-up?";
const wchar_t SUCCEEDED[] = L"Version up finished.";
const wchar_t FAILED[] = L"Version up failure.";
const std::vector<std::string> NO_CHANGE;

// Payload bytes of one entry, different for every entry and every variant.
std::string Payload(const std::string& tag, std::size_t size) {
    std::string bytes = tag + "\n";
    bytes.reserve(size);
    for (std::size_t i = bytes.size(); i < size; ++i)
        bytes += static_cast<char>('a' + (i * 7 + tag.size()) % 26);
    bytes.resize(size);
    return bytes;
}

std::vector<SampleEntry> ManyEntries(const std::string& prefix, int count, std::size_t size) {
    std::vector<SampleEntry> entries;
    for (int i = 1; i <= count; ++i) {
        const std::string name = prefix + std::to_string(i) + ".xls";
        entries.push_back({name, Payload("new " + name, size)});
    }
    return entries;
}

// An installation of 1.04 (English) with the installed files `installedFiles`, the start folder with
// the package of 1.05 carrying `entries`, another folder of the user's that nothing may touch, and the
// attacking program's own folder.
struct AttackWorld {
    AttackWorld(const std::vector<SampleEntry>& packageEntries, const std::vector<SampleEntry>& installedFiles)
        : entries(packageEntries) {
        ok = installed.Ok() && !work.Path().empty() && !outside.Path().empty() && !attacker.Path().empty() &&
             zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage("1.05", 1, entries)) &&
             zr::test::WriteFileBytes(outside / "Notes.txt", "the user's notes");
        for (const SampleEntry& file : installedFiles)
            ok = ok && zr::test::WriteFileBytes(installed.Folder() + file.name, file.payload);
        oldInstallation = TakeManifest(installed.Folder());
    }

    std::map<std::string, std::uint64_t> OldContents() const { return zr::test::ContentsOf(oldInstallation); }
    // The installation holding `updated`'s payloads over the old files.
    std::map<std::string, std::uint64_t> NewContents(const std::vector<SampleEntry>& updated) const {
        std::map<std::string, std::uint64_t> contents = OldContents();
        for (const SampleEntry& entry : updated)
            contents[entry.name] = zr::test::ContentHash(entry.payload);
        return contents;
    }
    std::map<std::string, std::uint64_t> NewContents() const { return NewContents(entries); }

    zr::test::ImitationInstallation installed;
    ScratchFolder work;      // the folder the user starts the tool from
    ScratchFolder outside;   // another folder of the user's
    ScratchFolder attacker;  // the attacking program's own files
    std::vector<SampleEntry> entries;
    FileManifest oldInstallation;
    bool ok = false;
};

// Clicks Execute, answers the confirmation with Yes (after `whileAsked`, when given, has run with the
// confirmation up) and answers the result message, which *result receives.
::testing::AssertionResult Executes(ProductProcess& tool,
                                    std::wstring* result,
                                    const std::function<void()>& whileAsked = nullptr) {
    HWND execute = ::GetDlgItem(tool.Dialog(), IDC_EXECUTE);
    if (!::IsWindowEnabled(execute))
        return ::testing::AssertionFailure() << "Execute is disabled";
    ::PostMessageW(execute, BM_CLICK, 0, 0);
    if (whileAsked) {
        if (tool.WaitForMessageBox() == nullptr)
            return ::testing::AssertionFailure() << "no confirmation came up";
        whileAsked();
    }
    if (auto answered = tool.Answers(CONFIRM, IDYES); !answered)
        return answered;
    return tool.AnswersOneOf({SUCCEEDED, FAILED}, IDOK, result);
}

// After an Execute that reported `result`: a success leaves the installation holding exactly
// `expectedNew`, a failure leaves it as it was; either way no installed file shares its data with a
// file of `outsideFolders`.
::testing::AssertionResult InstallationAfter(const AttackWorld& world,
                                             const std::wstring& result,
                                             const std::map<std::string, std::uint64_t>& expectedNew,
                                             const std::vector<std::string>& outsideFolders) {
    const FileManifest now = TakeManifest(world.installed.Folder());
    const bool succeeded = result == SUCCEEDED;
    std::vector<FileManifest> outside;
    for (const std::string& folder : outsideFolders)
        outside.push_back(TakeManifest(folder));
    // Both, so that a failure shows every way the installation went wrong.
    const ::testing::AssertionResult holds =
        zr::test::HoldsContents(now, succeeded ? expectedNew : world.OldContents());
    const ::testing::AssertionResult shares = zr::test::SharesNoData(now, outside);
    if (holds && shares)
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    if (!holds)
        failure << holds.message()
                << (succeeded ? "\n(after the success message the installation must be the package's)"
                              : "\n(after the failure message the installation must be as before)");
    if (!shares)
        failure << "\n" << shares.message();
    return failure;
}

::testing::AssertionResult InstallationAfter(const AttackWorld& world, const std::wstring& result) {
    return InstallationAfter(world, result, world.NewContents(),
                             {world.work.Path(), world.outside.Path(), world.attacker.Path()});
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());  // the English texts only
}

struct Shown {
    std::wstring installed;
    bool executeEnabled;
};

Shown StartAndLook(const std::string& work) {
    ProductProcess tool(work);
    if (!tool.Opens())
        return {L"<no dialog>", false};
    const Shown shown = {zr::test::ControlText(tool.Dialog(), IDC_INSTALLED_VERSION),
                         ::IsWindowEnabled(::GetDlgItem(tool.Dialog(), IDC_EXECUTE)) != FALSE};
    tool.Closes();
    return shown;
}

// 1. A subfolder of the start folder is a link to another folder of the user's, where the tool would
// keep the Working file of an entry such as bin\core.dll.
TEST_F(AttackedTool, ALinkedSubfolderOfTheStartFolderLeadsItNowhereOutside) {
    AttackWorld world({{"bin\\core.dll", "new core"}, {"EXCEL\\Report.xls", "new report"}},
                      {{"bin\\core.dll", "old core"}, {"EXCEL\\Report.xls", "old report"}});
    ASSERT_TRUE(world.ok);
    ASSERT_TRUE(zr::test::WriteFileBytes(world.outside / "core.dll", "the user's core.dll"));
    SymbolicLinks links;
    ASSERT_TRUE(links.Make(world.work / "bin", world.outside.Path()));
    const FileManifest outsideBefore = TakeManifest(world.outside.Path());

    ProductProcess tool(world.work.Path());
    ASSERT_TRUE(tool.Opens());
    FolderWatch watch(world.outside.Path());
    ASSERT_TRUE(watch.Watching());
    std::wstring result;
    ASSERT_TRUE(Executes(tool, &result));

    EXPECT_EQ(watch.Changes(), NO_CHANGE) << "the other folder was touched";
    EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
    EXPECT_TRUE(InstallationAfter(world, result));
    EXPECT_TRUE(tool.Closes());
}

// 2. The tool is started from a link to the folder that holds the package; as soon as the tool creates
// anything (in the installation or in the start folder), the link is pointed at another folder of the
// user's, which holds files named like the Working files.
TEST_F(AttackedTool, AStartFolderRetargetedWhileUpdatingLeadsItNowhereOutside) {
    const std::vector<SampleEntry> entries = ManyEntries("EXCEL\\F", 16, 1 << 20);
    AttackWorld world(entries, {});
    ASSERT_TRUE(world.ok);
    const std::string real = world.work / "real", start = world.work / "start";
    ASSERT_TRUE(::CreateDirectoryA(real.c_str(), nullptr));
    ASSERT_TRUE(::MoveFileA((world.work / "vupcab").c_str(), (real + "\\vupcab").c_str()));
    for (int i = 1; i <= 16; ++i)
        ASSERT_TRUE(zr::test::WriteFileBytes(world.outside / "F" + std::to_string(i) + ".xls", "the user's file"));
    SymbolicLinks links;
    ASSERT_TRUE(links.Make(start, real));
    const FileManifest outsideBefore = TakeManifest(world.outside.Path());

    ProductProcess tool(start + "\\");
    ASSERT_TRUE(tool.Opens());
    LinuxSide retarget;
    ASSERT_TRUE(retarget.Start({"retarget-on-create", UnixPath(start), UnixPath(world.outside.Path()), UnixPath(real),
                                UnixPath(world.installed.Folder())}));
    FolderWatch watch(world.outside.Path());
    ASSERT_TRUE(watch.Watching());
    std::wstring result;
    ASSERT_TRUE(Executes(tool, &result));
    std::string report;
    ASSERT_TRUE(retarget.Stop(&report));
    EXPECT_NE(report.find("retargeted after"), std::string::npos) << "the link was never retargeted: " << report;

    EXPECT_EQ(watch.Changes(), NO_CHANGE) << "the other folder was touched";
    EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
    EXPECT_TRUE(InstallationAfter(world, result, world.NewContents(), {real, world.outside.Path()}));
    std::printf("start folder retargeted (%s): %s\n", report.c_str(), Narrow(result).c_str());
    EXPECT_TRUE(tool.Closes());
}

// 3. A program replaces every file closed after writing in the start folder, by a rename, with its own
// bytes: between a Working file's close and its move, the tool would install them.
TEST_F(AttackedTool, AProgramReplacingEveryFileClosedInTheStartFolderInstallsNothingOfItsOwn) {
    AttackWorld world(ManyEntries("EXCEL\\S", 20, 64 << 10), {});
    ASSERT_TRUE(world.ok);
    ASSERT_TRUE(zr::test::WriteFileBytes(world.attacker / "own.bin", Payload("the attacker's bytes", 64 << 10)));
    const FileManifest outsideBefore = TakeManifest(world.outside.Path());

    ProductProcess tool(world.work.Path());
    ASSERT_TRUE(tool.Opens());
    LinuxSide swapper;
    ASSERT_TRUE(
        swapper.Start({"swap-on-close", UnixPath(world.work.Path()), "copy", UnixPath(world.attacker / "own.bin")}));
    std::wstring result;
    ASSERT_TRUE(Executes(tool, &result));
    std::string report;
    ASSERT_TRUE(swapper.Stop(&report));

    EXPECT_TRUE(InstallationAfter(world, result)) << report;
    EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
    std::printf("replaced on close: %s", report.substr(0, report.find('\n') + 1).c_str());
    EXPECT_TRUE(tool.Closes());
}

// 3b. A program opens every file that appears in the start folder, for writing and sharing everything,
// as soon as the tool lets go of it: a handle that would follow a Working file into the installation
// and write it there afterwards.
TEST_F(AttackedTool, AProgramOpeningEveryFileOfTheStartFolderCannotWriteTheInstallation) {
    AttackWorld world(ManyEntries("EXCEL\\O", 20, 64 << 10), {});
    ASSERT_TRUE(world.ok);
    const FileManifest outsideBefore = TakeManifest(world.outside.Path());
    std::mutex lock;
    std::vector<zr::ScopedKernelHandle> handles;
    const auto openEach = [&](const std::string& change) {
        if (change.rfind("added ", 0) != 0)
            return;
        const std::string path = world.work / change.substr(6);
        for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 2000;) {
            HANDLE file =
                ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                std::lock_guard<std::mutex> hold(lock);
                handles.emplace_back(file);
                return;
            }
            if (::GetLastError() != ERROR_SHARING_VIOLATION)
                return;  // moved on already
        }
    };

    ProductProcess tool(world.work.Path());
    ASSERT_TRUE(tool.Opens());
    std::wstring result;
    {
        FolderWatch opener(world.work.Path(), openEach);
        ASSERT_TRUE(opener.Watching());
        ASSERT_TRUE(Executes(tool, &result));
        opener.Changes();
    }
    // Whatever the kept handles reach is written through them now.
    const std::string written = "written through a handle another program kept";
    int writable = 0;
    for (zr::ScopedKernelHandle& handle : handles) {
        DWORD done = 0;
        writable += ::WriteFile(handle.get(), written.data(), static_cast<DWORD>(written.size()), &done, nullptr) &&
                    done == written.size();
        handle.reset();
    }
    EXPECT_TRUE(InstallationAfter(world, result)) << writable << " of the files were written through kept handles";
    std::printf("handles kept on files of the start folder: %u, written through: %d\n",
                static_cast<unsigned>(handles.size()), writable);
    EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
    EXPECT_TRUE(tool.Closes());
}

// 4. Hard links to files of another folder: one planted beforehand at the Working file name of
// EXCEL\Report.xls, and one put by rename in place of every file closed after writing in the start
// folder. The installed files must not share their data with them.
TEST_F(AttackedTool, HardLinksInTheStartFolderShareNoDataWithTheInstallation) {
    std::vector<SampleEntry> entries = ManyEntries("EXCEL\\H", 10, 16 << 10);
    entries.insert(entries.begin(), {"EXCEL\\Report.xls", "new report"});
    AttackWorld world(entries, {{"EXCEL\\Report.xls", "old report"}});
    ASSERT_TRUE(world.ok);
    ASSERT_TRUE(zr::test::WriteFileBytes(world.outside / "Secret.xls", "the user's secret"));
    ASSERT_TRUE(
        ::CreateHardLinkA((world.work / "Report.xls").c_str(), (world.outside / "Secret.xls").c_str(), nullptr));
    ASSERT_TRUE(zr::test::WriteFileBytes(world.attacker / "shared.bin", "the attacker's file, still writable"));
    const FileManifest outsideBefore = TakeManifest(world.outside.Path());

    ProductProcess tool(world.work.Path());
    ASSERT_TRUE(tool.Opens());
    LinuxSide linker;
    ASSERT_TRUE(linker.Start(
        {"swap-on-close", UnixPath(world.work.Path()), "hardlink", UnixPath(world.attacker / "shared.bin")}));
    std::wstring result;
    ASSERT_TRUE(Executes(tool, &result));
    std::string report;
    ASSERT_TRUE(linker.Stop(&report));

    EXPECT_TRUE(InstallationAfter(world, result)) << report;
    EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
    EXPECT_EQ(zr::test::ReadFileBytes(world.work / "Report.xls"), "the user's secret");
    std::printf("hard-linked on close: %s", report.substr(0, report.find('\n') + 1).c_str());
    EXPECT_TRUE(tool.Closes());
}

// Holds a file of the installation without sharing, as soon as it appears under its name: a program
// of the user's that keeps an updated file open (a viewer, a scanner) and so keeps the rollback from
// finishing.
class HoldWhenPlaced {
  public:
    explicit HoldWhenPlaced(const std::string& path, const std::string& relative)
        : m_path(path), m_added("added " + relative), m_renamed("renamed to " + relative) {}

    void OnChange(const std::string& change) {
        if (m_held || (change != m_added && change != m_renamed))
            return;
        // The tool may hold the new file a moment longer: try until it lets go.
        for (const DWORD start = ::GetTickCount(); !m_held && ::GetTickCount() - start < 2000;) {
            HANDLE file = ::CreateFileA(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                std::lock_guard<std::mutex> hold(m_lock);
                m_file.reset(file);
                m_held = true;
            } else if (::GetLastError() != ERROR_SHARING_VIOLATION) {
                return;
            }
        }
    }
    bool Held() const { return m_held; }
    // The held file's contents, read through the held handle.
    std::string HeldBytes() {
        std::lock_guard<std::mutex> hold(m_lock);
        char buffer[256] = {};
        DWORD read = 0;
        ::SetFilePointer(m_file.get(), 0, nullptr, FILE_BEGIN);
        ::ReadFile(m_file.get(), buffer, sizeof buffer - 1, &read, nullptr);
        return std::string(buffer, read);
    }
    void LetGo() {
        std::lock_guard<std::mutex> hold(m_lock);
        m_file.reset();
    }

  private:
    std::string m_path, m_added, m_renamed;
    std::atomic<bool> m_held{false};
    std::mutex m_lock;
    zr::ScopedKernelHandle m_file;
};

// 5. An update fails (another program's file takes a new file's name half way) and its rollback is
// kept from finishing (the new file already placed is held open). At leisure, the start folder is replaced by a link to
// another folder of the user's, holding files named like the Working files; then everything is let go and the tool
// started again: its recovery before anyone clicks must not touch anything outside.
TEST_F(AttackedTool, ARollbackKeptFromFinishingThenALinkLetsTheNextStartTouchNothingOutside) {
    AttackWorld world(
        {{"EXCEL\\A.xls", "new a"}, {"EXCEL\\B.xls", Payload("new b", 24 << 20)}, {"EXCEL\\C.xls", "new c"}},
        {{"EXCEL\\A.xls", "old a"}, {"EXCEL\\B.xls", "old b"}});
    ASSERT_TRUE(world.ok);
    const std::string start = world.work / "start", aside = world.work / "start.real";
    ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
    ASSERT_TRUE(::MoveFileA((world.work / "vupcab").c_str(), (start + "\\vupcab").c_str()));
    ASSERT_TRUE(zr::test::WriteFileBytes(world.outside / "A.xls", "the user's a"));
    ASSERT_TRUE(zr::test::WriteFileBytes(world.outside / "B.xls", "the user's b"));
    const FileManifest outsideBefore = TakeManifest(world.outside.Path());
    const std::string excel = world.installed.Folder() + "EXCEL";

    {
        zr::test::IntrudeWhenStaged intruder(excel + "\\C.xls");
        HoldWhenPlaced heldA(excel + "\\A.xls", "A.xls");
        ProductProcess tool(start + "\\");
        ASSERT_TRUE(tool.Opens());
        FolderWatch placed(excel, [&](const std::string& change) {
            intruder.OnChange(change);
            heldA.OnChange(change);
        });
        ASSERT_TRUE(placed.Watching());
        std::wstring result;
        ASSERT_TRUE(Executes(tool, &result));
        ASSERT_TRUE(intruder.Done());
        ASSERT_EQ(Narrow(result), Narrow(FAILED)) << "a new file's name taken must make the update fail";
        ASSERT_TRUE(heldA.Held()) << "the new A.xls never appeared, or could not be held";
        ASSERT_EQ(heldA.HeldBytes(), "new a") << "the rollback finished before the new file could be held";
        EXPECT_TRUE(tool.Closes());

        // At leisure: the start folder becomes a link to the other folder.
        ASSERT_TRUE(::MoveFileA(start.c_str(), aside.c_str()));
        SymbolicLinks links;
        ASSERT_TRUE(links.Make(start, world.outside.Path()));
        heldA.LetGo();

        FolderWatch watch(world.outside.Path());
        ASSERT_TRUE(watch.Watching());
        const Shown shown = StartAndLook(start + "\\");
        EXPECT_EQ(watch.Changes(), NO_CHANGE) << "the other folder was touched";
        EXPECT_EQ(Narrow(shown.installed), "1.04(EN)") << "the next start puts the installation back";
    }
    EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
    EXPECT_TRUE(InstallationAfter(world, FAILED));
}

// 6. A recovery record of the user's making names folders outside the installation (the working
// folder C:\ and a file below it, another folder of the user's, a backup outside): the next start acts
// on none of it. It shows the None text and keeps Execute disabled, and everything stays as it is, the
// record included.
TEST_F(AttackedTool, ARecordNamingAnythingOutsideTheInstallationIsNeverActedOn) {
    struct Row {
        const char* what;
        std::string (*record)(const std::string& installation, const std::string& outside, const std::string& drive);
    };
    // Paths as the recovery record writes them; `drive` is a folder below C:\.
    static const Row ROWS[] = {
        {"the working folder C:\\ and a file below it",
         [](const std::string& i, const std::string&, const std::string& c) {
             return "ZR5048 recovery record 1\nI\t" + i + "\nW\tC:\\\nC\t" + c + "Victim.txt\n";
         }},
        {"another folder as working folder, a file there created",
         [](const std::string& i, const std::string& o, const std::string&) {
             return "ZR5048 recovery record 1\nI\t" + i + "\nW\t" + o + "\nC\t" + o + "Victim.txt\n";
         }},
        {"another folder as working folder, a file there put back from a backup",
         [](const std::string& i, const std::string& o, const std::string&) {
             return "ZR5048 recovery record 1\nI\t" + i + "\nW\t" + o + "\nB\t" + o + "Victim.txt\t" + o +
                    "zr~00000001.tmp\n";
         }},
        {"a file outside, in the record's later form",
         [](const std::string& i, const std::string& o, const std::string&) {
             return "ZR5048 recovery record 2\nI\t" + i + "\nC\t" + o + "Victim.txt\n";
         }},
        {"a file reached from the installation through '..'",
         [](const std::string& i, const std::string& o, const std::string&) {
             // The installation and the other folder are two scratch folders side by side.
             return "ZR5048 recovery record 2\nI\t" + i + "\nC\t" + i + "EXCEL\\..\\..\\..\\" +
                    o.substr(o.rfind('\\', o.size() - 2) + 1) + "Victim.txt\n";
         }},
        {"an installed file staged under a name outside",
         [](const std::string& i, const std::string& o, const std::string&) {
             return "ZR5048 recovery record 2\nI\t" + i + "\nS\t" + i + "EXCEL\\Report.xls\t" + o + "zr~00000001.tmp\n";
         }},
        {"an installed file put back from a backup outside",
         [](const std::string& i, const std::string& o, const std::string&) {
             return "ZR5048 recovery record 2\nI\t" + i + "\nB\t" + i + "EXCEL\\Report.xls\t" + o + "zr~00000001.tmp\n";
         }},
    };
    for (std::size_t row = 0; row < sizeof ROWS / sizeof ROWS[0]; ++row) {
        SCOPED_TRACE("row " + std::to_string(row) + ": " + ROWS[row].what);
        AttackWorld world({{"EXCEL\\Report.xls", "new report"}}, {{"EXCEL\\Report.xls", "old report"}});
        ASSERT_TRUE(world.ok);
        ScratchFolder drive(ScratchFolder::Under{"C:\\"});
        ASSERT_FALSE(drive.Path().empty());
        ASSERT_TRUE(zr::test::WriteFileBytes(drive / "Victim.txt", "a file below C:\\"));
        ASSERT_TRUE(zr::test::WriteFileBytes(world.outside / "Victim.txt", "the user's file"));
        ASSERT_TRUE(zr::test::WriteFileBytes(world.outside / "zr~00000001.tmp", "the user's other file"));
        // The record lies where the installer keeps it, written by the user's program.
        ASSERT_TRUE(
            zr::test::WriteFileBytes(world.installed.Folder() + "zr~recovery.dat",
                                     ROWS[row].record(world.installed.Folder(), world.outside.Path(), drive.Path())));
        const FileManifest installationBefore = TakeManifest(world.installed.Folder());
        const FileManifest outsideBefore = TakeManifest(world.outside.Path());
        const FileManifest driveBefore = TakeManifest(drive.Path());

        const Shown shown = StartAndLook(world.work.Path());
        EXPECT_EQ(Narrow(shown.installed), "(none)");
        EXPECT_FALSE(shown.executeEnabled);
        EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
        EXPECT_TRUE(zr::test::Unchanged(driveBefore, TakeManifest(drive.Path())));
        EXPECT_TRUE(zr::test::Unchanged(installationBefore, TakeManifest(world.installed.Folder())));
    }
}

// 7a. The package is rewritten by another program while the confirmation is up: with another header,
// the update must be refused; with the same header and other payloads, the tool installs the package
// it reads at Execute, whole, or refuses it.
TEST_F(AttackedTool, APackageRewrittenBeforeTheConfirmationIsAnsweredIsRefusedOrInstalledWhole) {
    struct Row {
        const char* what;
        const char* version;
        bool bMustFail;
    };
    static const Row ROWS[] = {
        {"another version in the header", "1.06", true},
        {"the same header, other payloads", "1.05", false},
    };
    for (std::size_t row = 0; row < sizeof ROWS / sizeof ROWS[0]; ++row) {
        SCOPED_TRACE("row " + std::to_string(row) + ": " + ROWS[row].what);
        AttackWorld world(ManyEntries("EXCEL\\R", 3, 4096), {});
        ASSERT_TRUE(world.ok);
        const FileManifest outsideBefore = TakeManifest(world.outside.Path());
        const std::vector<SampleEntry> rewritten = {
            {"EXCEL\\R1.xls", "rewritten 1"}, {"EXCEL\\R2.xls", "rewritten 2"}, {"EXCEL\\R3.xls", "rewritten 3"}};
        const std::string bytes = zr::test::SamplePackage(ROWS[row].version, 1, rewritten);
        bool written = false;

        ProductProcess tool(world.work.Path());
        ASSERT_TRUE(tool.Opens());
        std::wstring result;
        ASSERT_TRUE(Executes(tool, &result, [&] { written = zr::test::WriteFileBytes(world.work / "vupcab", bytes); }));
        if (ROWS[row].bMustFail) {
            EXPECT_EQ(Narrow(result), Narrow(FAILED));
        }
        // Installed, the package must be the one the file held at Execute, or, had the rewrite been kept
        // out, the one shown.
        EXPECT_TRUE(InstallationAfter(world, result, written ? world.NewContents(rewritten) : world.NewContents(),
                                      {world.work.Path(), world.outside.Path()}));
        EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
        EXPECT_TRUE(tool.Closes());
    }
}

// 7b. Another program rewrites the last payload of a large package as soon as the tool begins to
// change the installation, and keeps the package open for writing until the tool is done.
TEST_F(AttackedTool, APackageRewrittenWhileInstallingIsNeverInstalledHalfRewritten) {
    constexpr std::size_t SIZE = 4 << 20;
    AttackWorld world(ManyEntries("EXCEL\\W", 8, SIZE), {});
    ASSERT_TRUE(world.ok);
    const FileManifest outsideBefore = TakeManifest(world.outside.Path());
    const std::string package = world.work / "vupcab";
    const std::uint64_t packageSize = zr::test::ReadFileBytes(package).size();
    zr::ScopedKernelHandle writer;
    std::atomic<bool> tried{false}, rewrote{false};
    const auto rewrite = [&](const std::string&) {
        if (tried.exchange(true))
            return;
        writer.reset(::CreateFileA(package.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
        if (!writer)
            return;
        const std::string other(SIZE, 'X');
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(packageSize - SIZE);
        DWORD done = 0;
        rewrote = ::SetFilePointerEx(writer.get(), at, nullptr, FILE_BEGIN) &&
                  ::WriteFile(writer.get(), other.data(), static_cast<DWORD>(other.size()), &done, nullptr) &&
                  done == other.size();
    };

    ProductProcess tool(world.work.Path());
    ASSERT_TRUE(tool.Opens());
    std::wstring result;
    {
        FolderWatch watch(world.installed.Folder(), rewrite);
        ASSERT_TRUE(watch.Watching());
        ASSERT_TRUE(Executes(tool, &result));
        watch.Changes();
    }
    EXPECT_TRUE(tried) << "the tool changed nothing in the installation";
    writer.reset();
    EXPECT_TRUE(InstallationAfter(world, result))
        << (rewrote ? "the package was rewritten during the update" : "the package could not be rewritten");
    std::printf("package rewritten while installing: %s, %s\n", rewrote ? "yes" : "no", Narrow(result).c_str());
    EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
    EXPECT_TRUE(tool.Closes());
}

// 7c. Another program holds the package open for writing when Execute is clicked: the update fails,
// reported, and nothing changes.
TEST_F(AttackedTool, APackageHeldOpenForWritingMakesExecuteFail) {
    AttackWorld world({{"EXCEL\\Report.xls", "new report"}}, {{"EXCEL\\Report.xls", "old report"}});
    ASSERT_TRUE(world.ok);
    const FileManifest outsideBefore = TakeManifest(world.outside.Path());
    ProductProcess tool(world.work.Path());
    ASSERT_TRUE(tool.Opens());
    zr::ScopedKernelHandle writer(::CreateFileA((world.work / "vupcab").c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                nullptr));
    ASSERT_TRUE(writer.IsValid());
    std::wstring result;
    ASSERT_TRUE(Executes(tool, &result));
    EXPECT_EQ(Narrow(result), Narrow(FAILED));
    writer.reset();
    EXPECT_TRUE(InstallationAfter(world, result));
    EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
    EXPECT_TRUE(tool.Closes());
}

// 8. A folder below the installation is a link to another folder of the user's: the package is refused
// before anything changes, in the installation or there.
TEST_F(AttackedTool, ALinkBelowTheInstallationFolderMakesThePackageRefused) {
    struct Row {
        const char* folder;  // below the installation, replaced by the link
        const char* entry;
    };
    static const Row ROWS[] = {
        {"EXCEL", "EXCEL\\Report.xls"},
        {"Images", "Images\\Logo.bmp"},
        {"EXCEL\\Sub", "EXCEL\\Sub\\Deep.xls"},
    };
    for (std::size_t row = 0; row < sizeof ROWS / sizeof ROWS[0]; ++row) {
        SCOPED_TRACE(std::string("row ") + std::to_string(row) + ": " + ROWS[row].folder);
        AttackWorld world({{"ReadMe.txt", "new readme"}, {ROWS[row].entry, "new file"}},
                          {{"ReadMe.txt", "old readme"}});
        ASSERT_TRUE(world.ok);
        const std::string folder = world.installed.Folder() + ROWS[row].folder;
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(::RemoveDirectoryA(folder.c_str()));
        SymbolicLinks links;
        ASSERT_TRUE(links.Make(folder, world.outside.Path()));
        // A user's folder in the start folder named like the entry's Working subfolder, if it has one.
        ::CreateDirectoryA((world.work / "Sub").c_str(), nullptr);
        const std::string name = std::string(ROWS[row].entry).substr(std::string(ROWS[row].folder).size() + 1);
        ASSERT_TRUE(zr::test::WriteFileBytes(world.outside / name, "the user's file"));
        const FileManifest installationBefore = TakeManifest(world.installed.Folder());
        const FileManifest outsideBefore = TakeManifest(world.outside.Path());

        ProductProcess tool(world.work.Path());
        ASSERT_TRUE(tool.Opens());
        FolderWatch watch(world.outside.Path());
        ASSERT_TRUE(watch.Watching());
        std::wstring result;
        ASSERT_TRUE(Executes(tool, &result));
        EXPECT_EQ(Narrow(result), Narrow(FAILED));
        EXPECT_EQ(watch.Changes(), NO_CHANGE) << "the other folder was touched";
        EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
        EXPECT_TRUE(zr::test::Unchanged(installationBefore, TakeManifest(world.installed.Folder())));
        EXPECT_TRUE(tool.Closes());
    }
}

// The start folder watched, as any program of the user's can, during a successful and a failed
// Execute: the tool creates, renames, deletes and writes nothing there.
TEST_F(AttackedTool, ExecuteChangesNothingInTheStartFolder) {
    struct Row {
        const char* what;
        bool bHeld;  // another program's file at a new file's name makes the update fail half way
    };
    static const Row ROWS[] = {{"a successful update", false}, {"a failed update", true}};
    for (std::size_t row = 0; row < sizeof ROWS / sizeof ROWS[0]; ++row) {
        SCOPED_TRACE(std::string("row ") + std::to_string(row) + ": " + ROWS[row].what);
        std::vector<SampleEntry> entries = ManyEntries("EXCEL\\V", 4, 64 << 10);
        entries.push_back({"Images\\Logo.bmp", "new logo"});
        entries.push_back({"EXCEL\\Big.xls", Payload("big", 16 << 20)});
        entries.push_back({"Images\\New.bmp", "new"});
        AttackWorld world(entries, {{"Images\\Logo.bmp", "old logo"}});
        ASSERT_TRUE(world.ok);
        const FileManifest outsideBefore = TakeManifest(world.outside.Path());
        const FileManifest startBefore = TakeManifest(world.work.Path());

        ProductProcess tool(world.work.Path());
        ASSERT_TRUE(tool.Opens());
        zr::test::IntrudeWhenStaged intruder(world.installed.Folder() + "Images\\New.bmp");
        FolderWatch staged(world.installed.Folder() + "EXCEL", [&](const std::string& change) {
            if (ROWS[row].bHeld)
                intruder.OnChange(change);
        });
        ASSERT_TRUE(staged.Watching());
        FolderWatch watch(world.work.Path());
        ASSERT_TRUE(watch.Watching());
        std::wstring result;
        ASSERT_TRUE(Executes(tool, &result));
        EXPECT_EQ(Narrow(result), Narrow(ROWS[row].bHeld ? FAILED : SUCCEEDED));
        EXPECT_EQ(watch.Changes(), NO_CHANGE) << "the start folder was changed";
        EXPECT_TRUE(zr::test::Unchanged(startBefore, TakeManifest(world.work.Path())));
        EXPECT_EQ(intruder.Done(), ROWS[row].bHeld);
        EXPECT_TRUE(InstallationAfter(world, result));
        EXPECT_TRUE(zr::test::Unchanged(outsideBefore, TakeManifest(world.outside.Path())));
        EXPECT_TRUE(tool.Closes());
    }
}

}  // namespace
