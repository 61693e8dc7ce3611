// The recovery record: its reader refuses whatever the installer would not have written (a record
// lies in a folder others can write to), the file is created exclusively and held as the lock, and a
// refused record is never acted on.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/ScopedHandle.h"
#include "journal/Recovery.h"
#include "journal/RecoveryRecord.h"
#include "tests/support/ScratchFolder.h"

namespace {

using zr::test::FileExists;
using zr::test::ReadFileBytes;
using zr::test::ScratchFolder;
using zr::test::WriteFileBytes;

const std::wstring kInstall = L"C:\\Inst\\";
const std::string kMagic = "ZR5048 recovery record 3\n";
const std::string kHeader = kMagic + "I\tC:\\Inst\\\n";

struct RecordCase {
    int line;
    const char* what;
    std::string bytes;
    zr::E_RECORD_FAULT fault;
    std::size_t changes;  // for RECORD_OK
};

class RecordReader : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordReader, AcceptsOnlyWhatTheInstallerWrites) {
    const RecordCase& c = GetParam();
    SCOPED_TRACE(std::string(c.what) + " (line " + std::to_string(c.line) + ")");
    zr::RECOVERY_RECORD record;
    record.changes.push_back({zr::CHANGE_CREATED, L"poison", L""});
    EXPECT_EQ(zr::ParseRecoveryRecord(c.bytes, kInstall, &record), c.fault);
    // A refused record leaves nothing to act on.
    EXPECT_EQ(record.changes.size(), c.fault == zr::RECORD_OK ? c.changes : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    RecordReader,
    ::testing::Values(
        RecordCase{
            __LINE__, "every kind",
            kHeader +
                "S\tC:\\Inst\\EXCEL\\b.xls\tC:\\Inst\\EXCEL\\zr~0000ABCD.tmp\n"
                "B\tC:\\Inst\\EXCEL\\b.xls\tC:\\Inst\\EXCEL\\zr~12345678.tmp\n"
                "S\tC:\\Inst\\a.xls\tC:\\Inst\\zr~0000ABCE.tmp\nC\tC:\\Inst\\a.xls\nV\n"
                "R\tC:\\Inst\\EXCEL\\b.xls\tC:\\Inst\\EXCEL\\zr~12345678.tmp\tC:\\Inst\\EXCEL\\zr~12345679.tmp\nK\n",
            zr::RECORD_OK, 4},
        RecordCase{__LINE__, "the form before the swap had a line of its own: committed without one",
                   "ZR5048 recovery record 2\nI\tC:\\Inst\\\nC\tC:\\Inst\\a\nK\n", zr::RECORD_OK, 1},
        RecordCase{__LINE__, "installation folder in another case", kMagic + "I\tc:\\inst\\\nC\tC:\\INST\\a\n",
                   zr::RECORD_OK, 1},
        RecordCase{__LINE__, "last line cut short: its change never began", kHeader + "C\tC:\\Inst\\a\nC\tC:\\In",
                   zr::RECORD_OK, 1},
        RecordCase{__LINE__, "empty file: ended right after creating it", "", zr::RECORD_OK, 0},
        RecordCase{__LINE__, "header cut short", "ZR5048 reco", zr::RECORD_OK, 0},
        RecordCase{__LINE__, "header cut short in the installation line", kMagic + "I\tC:\\In", zr::RECORD_OK, 0},
        // A power cut: the first write's size reached the disk, its bytes (or some of them) did not.
        RecordCase{__LINE__, "first write never on the disk: zeros", std::string(857, '\0'), zr::RECORD_OK, 0},
        RecordCase{__LINE__, "first write partly on the disk", "ZR5048 reco" + std::string(846, '\0'), zr::RECORD_OK,
                   0},
        RecordCase{__LINE__, "swap line never on the disk",
                   kHeader + "S\tC:\\Inst\\a\tC:\\Inst\\zr~0000ABCD.tmp\n" + std::string(2, '\0'), zr::RECORD_OK, 1},
        RecordCase{__LINE__, "zeros after text that is no header", "hello" + std::string(40, '\0'),
                   zr::RECORD_BAD_HEADER, 0},
        // The form the installer wrote while it still worked in the start folder: never acted on.
        RecordCase{__LINE__, "the earlier form",
                   "ZR5048 recovery record 1\nI\tC:\\Inst\\\nW\tC:\\\nC\tC:\\Inst\\a\nC\tC:\\victim.txt\n",
                   zr::RECORD_BAD_HEADER, 0},
        RecordCase{__LINE__, "a later form", "ZR5048 recovery record 4\n", zr::RECORD_BAD_HEADER, 0},
        RecordCase{__LINE__, "text that is no header", "hello", zr::RECORD_BAD_HEADER, 0},
        RecordCase{__LINE__, "a working folder line", kHeader + "W\tC:\\\nC\tC:\\victim.txt\n", zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "another installation", kMagic + "I\tC:\\Windows\\\n", zr::RECORD_OTHER_INSTALLATION, 0},
        RecordCase{__LINE__, "a drive root as the installation", kMagic + "I\tC:\\\n", zr::RECORD_OTHER_INSTALLATION,
                   0},
        RecordCase{__LINE__, "unknown kind", kHeader + "D\tC:\\Inst\\a\n", zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "created file with a backup", kHeader + "C\tC:\\Inst\\a\tC:\\Inst\\zr~0000ABCD.tmp\n",
                   zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "backup missing", kHeader + "B\tC:\\Inst\\a\n", zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "a change after the commit point", kHeader + "V\nK\nC\tC:\\Inst\\a\n", zr::RECORD_BAD_LINE,
                   0},
        RecordCase{__LINE__, "a commit point without the swap", kHeader + "C\tC:\\Inst\\a\nK\n", zr::RECORD_BAD_LINE,
                   0},
        RecordCase{__LINE__, "the swap begun twice", kHeader + "V\nV\n", zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "a reservation moved that was never made",
                   kHeader + "S\tC:\\Inst\\a\tC:\\Inst\\zr~00000001.tmp\n"
                             "R\tC:\\Inst\\a\tC:\\Inst\\zr~00000002.tmp\tC:\\Inst\\zr~00000003.tmp\n",
                   zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "a reservation moved out of the reserved form",
                   kHeader + "S\tC:\\Inst\\a\tC:\\Inst\\zr~00000001.tmp\n"
                             "R\tC:\\Inst\\a\tC:\\Inst\\zr~00000001.tmp\tC:\\Inst\\precious.doc\n",
                   zr::RECORD_BAD_BACKUP, 0},
        RecordCase{__LINE__, "a created file's reservation moved",
                   kHeader + "C\tC:\\Inst\\a\nR\tC:\\Inst\\a\tC:\\Inst\\zr~00000001.tmp\tC:\\Inst\\zr~00000002.tmp\n",
                   zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "a moved reservation in the form that had none",
                   "ZR5048 recovery record 2\nI\tC:\\Inst\\\nS\tC:\\Inst\\a\tC:\\Inst\\zr~00000001.tmp\n"
                   "R\tC:\\Inst\\a\tC:\\Inst\\zr~00000001.tmp\tC:\\Inst\\zr~00000002.tmp\n",
                   zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "not UTF-8", kHeader + "C\tC:\\Inst\\\xFF\n", zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "outside the installation", kHeader + "C\tC:\\Windows\\system32\\kernel32.dll\n",
                   zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "a staged file for a destination outside",
                   kHeader + "S\tC:\\Work\\a\tC:\\Work\\zr~0000ABCD.tmp\n", zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "a backup of a file outside", kHeader + "B\tC:\\a\tC:\\zr~0000ABCD.tmp\n",
                   zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "a prefix that is no folder", kHeader + "C\tC:\\Install\\a\n", zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "climbing out", kHeader + "C\tC:\\Inst\\..\\Windows\\a\n", zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "a stream", kHeader + "C\tC:\\Inst\\a:b\n", zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "the folder itself", kHeader + "C\tC:\\Inst\\\n", zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "an empty component", kHeader + "C\tC:\\Inst\\a\\\\b\n", zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "a trailing dot", kHeader + "C\tC:\\Inst\\a.\n", zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "a carriage return", kHeader + "C\tC:\\Inst\\a\r\n", zr::RECORD_PATH_OUTSIDE, 0},
        RecordCase{__LINE__, "the record itself", kHeader + "C\tC:\\Inst\\zr~recovery.dat\n", zr::RECORD_PATH_OUTSIDE,
                   0},
        RecordCase{__LINE__, "backup in another folder", kHeader + "B\tC:\\Inst\\EXCEL\\a\tC:\\Inst\\zr~0000ABCD.tmp\n",
                   zr::RECORD_BAD_BACKUP, 0},
        RecordCase{__LINE__, "backup not of the reserved form", kHeader + "B\tC:\\Inst\\a\tC:\\Inst\\b.tmp\n",
                   zr::RECORD_BAD_BACKUP, 0},
        RecordCase{__LINE__, "backup in small letters", kHeader + "B\tC:\\Inst\\a\tC:\\Inst\\zr~0000abcd.tmp\n",
                   zr::RECORD_BAD_BACKUP, 0},
        RecordCase{__LINE__, "staged file not of the reserved form", kHeader + "S\tC:\\Inst\\a\tC:\\Inst\\b.dll\n",
                   zr::RECORD_BAD_BACKUP, 0},
        RecordCase{__LINE__, "staged file away from its destination",
                   kHeader + "S\tC:\\Inst\\EXCEL\\a\tC:\\Inst\\zr~0000ABCD.tmp\n", zr::RECORD_BAD_BACKUP, 0},
        RecordCase{__LINE__, "staged file missing", kHeader + "S\tC:\\Inst\\a\n", zr::RECORD_BAD_LINE, 0},
        RecordCase{__LINE__, "backup is the file",
                   kHeader + "B\tC:\\Inst\\zr~0000ABCD.tmp\tC:\\Inst\\zr~0000ABCD.tmp\n", zr::RECORD_BAD_BACKUP, 0},
        RecordCase{__LINE__, "too large", kHeader + std::string(zr::MAX_RECORD_SIZE, 'K'), zr::RECORD_TOO_LARGE, 0}));

TEST(RecordFormat, WhatTheWriterFormatsTheReaderReadsBack) {
    const std::wstring folder = kInstall + L"\x4F5C\x696D\\";  // non-ASCII names survive as UTF-8
    const zr::RECORDED_CHANGE changes[] = {
        {zr::CHANGE_STAGED, folder + L"Report.xls", folder + L"zr~00000001.tmp"},
        {zr::CHANGE_CREATED, folder + L"Report.xls", L""},
        {zr::CHANGE_INSTALLED_ASIDE, kInstall + L"EXCEL\\Report.xls", kInstall + L"EXCEL\\zr~FFFFFFFF.tmp"},
    };
    std::string bytes = zr::FormatRecordHeader(kInstall);
    for (const zr::RECORDED_CHANGE& change : changes)
        bytes += zr::FormatRecordChange(change);
    zr::RECOVERY_RECORD record;
    ASSERT_EQ(zr::ParseRecoveryRecord(bytes, kInstall, &record), zr::RECORD_OK);
    EXPECT_FALSE(record.bSwapping);
    EXPECT_FALSE(record.bCommitted);
    ASSERT_EQ(record.changes.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(record.changes[i].kind, changes[i].kind) << i;
        EXPECT_EQ(record.changes[i].path, changes[i].path) << i;
        EXPECT_EQ(record.changes[i].backup, changes[i].backup) << i;
    }
    // A reservation moved stays where it was in the order: a destination named twice is put back
    // through its states in turn.
    bytes += zr::FormatReservationMoved(changes[0], folder + L"zr~00000002.tmp") + zr::RECORD_SWAP_LINE;
    ASSERT_EQ(zr::ParseRecoveryRecord(bytes, kInstall, &record), zr::RECORD_OK);
    EXPECT_TRUE(record.bSwapping);
    ASSERT_EQ(record.changes.size(), 3u);
    EXPECT_EQ(record.changes[0].backup, folder + L"zr~00000002.tmp");
    ASSERT_EQ(zr::ParseRecoveryRecord(bytes + zr::RECORD_COMMIT_LINE, kInstall, &record), zr::RECORD_OK);
    EXPECT_TRUE(record.bCommitted);
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

TEST(RecordFile, IsCreatedExclusivelyAndHeldWithoutSharing) {
    ScratchFolder folder;
    const std::wstring install = Wide(folder.Path());
    zr::CRecordFile first;
    ASSERT_TRUE(first.Create(install));
    ASSERT_TRUE(first.Append("ZR5048 recovery record 2\n"));

    zr::CRecordFile second;
    ::SetLastError(0xdeadbeef);
    EXPECT_FALSE(second.Create(install)) << "a second run must not take the installation";
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    DWORD error = 0;
    EXPECT_FALSE(second.OpenExisting(install, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "a held record is live";
    EXPECT_EQ(zr::RecoverInstallation(folder.Path().c_str()), zr::RECOVERY_LIVE);

    first.Abandon();  // as a process ended abruptly leaves it
    EXPECT_EQ(ReadFileBytes(folder / "zr~recovery.dat"), "ZR5048 recovery record 2\n");
    ASSERT_TRUE(second.OpenExisting(install, &error));
    EXPECT_TRUE(second.Remove());
    EXPECT_FALSE(FileExists(folder / "zr~recovery.dat"));
}

TEST(Recovery, ARecordNotOfTheInstallersMakingIsNeverActedOn) {
    ScratchFolder install, outside;
    ASSERT_TRUE(WriteFileBytes(outside / "precious.txt", "keep me"));
    ASSERT_TRUE(WriteFileBytes(install / "ZR5048Em.exe", "installed exe"));
    // A valid first change, then one outside the installation: nothing of it may be done.
    const std::string record = "ZR5048 recovery record 2\nI\t" + install.Path() + "\nC\t" + install.Path() +
                               "ZR5048Em.exe\nC\t" + outside.Path() + "precious.txt\n";
    ASSERT_TRUE(WriteFileBytes(install / "zr~recovery.dat", record));
    EXPECT_EQ(zr::RecoverInstallation(install.Path().c_str()), zr::RECOVERY_REFUSED);
    EXPECT_EQ(ReadFileBytes(outside / "precious.txt"), "keep me");
    EXPECT_EQ(ReadFileBytes(install / "ZR5048Em.exe"), "installed exe");
    EXPECT_EQ(ReadFileBytes(install / "zr~recovery.dat"), record) << "left alone for the user or support";
}

// A power cut right after the record's first write: its size on the disk, its bytes not (the state
// the power-cut exploration found left alone at every start).
TEST(Recovery, ARecordWhoseFirstWriteNeverReachedTheDiskGoesAndNothingElse) {
    ScratchFolder install;
    ASSERT_TRUE(WriteFileBytes(install / "ZR5048Em.exe", "installed exe"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~recovery.dat", std::string(857, '\0')));
    EXPECT_EQ(zr::RecoverInstallation(install.Path().c_str()), zr::RECOVERY_DONE);
    EXPECT_FALSE(FileExists(install / "zr~recovery.dat"));
    EXPECT_EQ(ReadFileBytes(install / "ZR5048Em.exe"), "installed exe");
}

TEST(Recovery, BeforeTheCommitPointEveryChangeIsUndoneAndAfterItOnlyBackupsGo) {
    ScratchFolder install;
    const std::string in = install.Path();
    const std::string header = "ZR5048 recovery record 3\nI\t" + in + "\n";
    // An executable replaced, a new bitmap placed, and a third entry ended while it was staged.
    const std::string changes = "S\t" + in + "ZR5048Em.exe\t" + in + "zr~00000001.tmp\n" + "B\t" + in +
                                "ZR5048Em.exe\t" + in + "zr~0000000A.tmp\n" + "S\t" + in + "New.bmp\t" + in +
                                "zr~00000002.tmp\n" + "C\t" + in + "New.bmp\n" + "S\t" + in + "W\\Logo.bmp\t" + in +
                                "W\\zr~00000003.tmp\n" + "B\t" + in + "W\\Logo.bmp\t" + in + "W\\zr~0000000B.tmp\n";
    for (const bool committed : {false, true}) {
        SCOPED_TRACE(committed ? "after the commit point" : "before the commit point");
        ASSERT_TRUE(WriteFileBytes(install / "ZR5048Em.exe", "new exe"));
        ASSERT_TRUE(WriteFileBytes(install / "zr~0000000A.tmp", "old exe"));
        ASSERT_TRUE(WriteFileBytes(install / "New.bmp", "new bitmap"));
        ASSERT_TRUE(WriteFileBytes(install / "W\\Logo.bmp", "old logo"));
        ASSERT_TRUE(WriteFileBytes(install / "W\\zr~00000003.tmp", "half a new lo"));
        ASSERT_TRUE(WriteFileBytes(install / "zr~recovery.dat", header + changes + (committed ? "V\nK\n" : "V\n")));
        EXPECT_EQ(zr::RecoverInstallation(install.Path().c_str()), zr::RECOVERY_DONE);
        EXPECT_EQ(ReadFileBytes(install / "ZR5048Em.exe"), committed ? "new exe" : "old exe");
        EXPECT_EQ(FileExists(install / "New.bmp"), committed);
        EXPECT_EQ(ReadFileBytes(install / "W\\Logo.bmp"), "old logo") << "never aside: stays either way";
        EXPECT_FALSE(FileExists(install / "zr~0000000A.tmp"));
        EXPECT_FALSE(FileExists(install / "W\\zr~00000003.tmp")) << "a staged file goes either way";
        EXPECT_FALSE(FileExists(install / "zr~recovery.dat"));
        EXPECT_EQ(zr::RecoverInstallation(install.Path().c_str()), zr::RECOVERY_NOTHING);
        ::DeleteFileA((install / "New.bmp").c_str());
    }
}

TEST(Recovery, BeforeTheSwapOnlyTheStagedFilesAreTheRunsAndGo) {
    // Ended while staging: nothing installed was renamed yet. Whatever stands at a name the record
    // announces for later (a backup's, a new file's) is not the run's, and stays.
    ScratchFolder install;
    const std::string in = install.Path();
    ASSERT_TRUE(WriteFileBytes(install / "ZR5048Em.exe", "installed exe"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~00000001.tmp", "half a new e"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~0000000A.tmp", "not the installer's"));
    ASSERT_TRUE(WriteFileBytes(install / "New.bmp", "not the installer's either"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~recovery.dat",
                               "ZR5048 recovery record 3\nI\t" + in + "\nS\t" + in + "ZR5048Em.exe\t" + in +
                                   "zr~00000001.tmp\nB\t" + in + "ZR5048Em.exe\t" + in + "zr~0000000A.tmp\nS\t" + in +
                                   "New.bmp\t" + in + "zr~00000002.tmp\nC\t" + in + "New.bmp\n"));
    EXPECT_EQ(zr::RecoverInstallation(install.Path().c_str()), zr::RECOVERY_DONE);
    EXPECT_EQ(ReadFileBytes(install / "ZR5048Em.exe"), "installed exe");
    EXPECT_FALSE(FileExists(install / "zr~00000001.tmp"));
    EXPECT_EQ(ReadFileBytes(install / "zr~0000000A.tmp"), "not the installer's");
    EXPECT_EQ(ReadFileBytes(install / "New.bmp"), "not the installer's either");
    EXPECT_FALSE(FileExists(install / "zr~recovery.dat"));
}

TEST(Recovery, TheSameDestinationTwiceIsPutBackNewestFirst) {
    // The package placed Report.xls twice, then a later entry failed: undone oldest first, the first
    // backup would be restored and then overwritten by the second (the first entry's new file).
    ScratchFolder install;
    const std::string in = install.Path();
    ASSERT_TRUE(WriteFileBytes(install / "Report.xls", "second new"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~0000000A.tmp", "old report"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~0000000B.tmp", "first new"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~recovery.dat", "ZR5048 recovery record 2\nI\t" + in + "\nS\t" + in +
                                                                "Report.xls\t" + in + "zr~00000001.tmp\nB\t" + in +
                                                                "Report.xls\t" + in + "zr~0000000A.tmp\nS\t" + in +
                                                                "Report.xls\t" + in + "zr~00000002.tmp\nB\t" + in +
                                                                "Report.xls\t" + in + "zr~0000000B.tmp\n"));
    EXPECT_EQ(zr::RecoverInstallation(install.Path().c_str()), zr::RECOVERY_DONE);
    EXPECT_EQ(ReadFileBytes(install / "Report.xls"), "old report");
    EXPECT_FALSE(FileExists(install / "zr~0000000A.tmp"));
    EXPECT_FALSE(FileExists(install / "zr~0000000B.tmp"));
}

}  // namespace

namespace {

TEST(Recovery, ABackupInUseAfterTheCommitPointKeepsTheRecordUntilItCanGo) {
    ScratchFolder install;
    ASSERT_TRUE(WriteFileBytes(install / "ZR5048Em.exe", "new exe"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~0000000A.tmp", "old exe"));
    ASSERT_TRUE(WriteFileBytes(install / "zr~recovery.dat", "ZR5048 recovery record 2\nI\t" + install.Path() + "\nB\t" +
                                                                install.Path() + "ZR5048Em.exe\t" + install.Path() +
                                                                "zr~0000000A.tmp\nK\n"));
    {
        // Another program reads the old executable: the backup cannot go yet, so neither can the record.
        zr::ScopedKernelHandle reader(
            ::CreateFileA((install / "zr~0000000A.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader.IsValid());
        EXPECT_EQ(zr::RecoverInstallation(install.Path().c_str()), zr::RECOVERY_UNFINISHED);
        EXPECT_TRUE(FileExists(install / "zr~recovery.dat"));
    }
    EXPECT_EQ(zr::RecoverInstallation(install.Path().c_str()), zr::RECOVERY_DONE);
    EXPECT_EQ(ReadFileBytes(install / "ZR5048Em.exe"), "new exe");
    EXPECT_FALSE(FileExists(install / "zr~0000000A.tmp"));
    EXPECT_FALSE(FileExists(install / "zr~recovery.dat"));
}

}  // namespace
