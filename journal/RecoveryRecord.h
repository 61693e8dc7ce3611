// The recovery record: what an installation has changed, written ahead of every change, so that at
// every instant it says how to put the installation back. It lies in the installation folder under a
// reserved name, is created exclusively and held open without sharing while the run lasts (so it is
// the lock as well), and outlives only an interrupted run.
//
// Text in UTF-8, one line each, fields separated by a tab (which no file name can contain):
//   ZR5048 recovery record 3
//   I <tab> installation folder       full path, ending in a backslash
//   S <tab> path <tab> staged         the new file for `path`, written under a reserved name beside it:
//                                     deleted wherever the run ended (once renamed in, it is gone)
//   B <tab> path <tab> backup         an installed file kept aside: put back before the commit point,
//                                     deleted after it
//   C <tab> path                      a file this run creates where none stood: undone by deleting it
//   R <tab> path <tab> old <tab> new  the reservation of the S or B line for `path` under the name
//                                     `old` moved to `new`: another's file was found at `old`
//   V                                 the swap begins: every staged file is on the disk, and installed
//                                     files are renamed from here on; before it, only staged files
//                                     exist to be undone, and B and C lines are not acted on
//   K                                 the commit point: the installation is complete
// Every path lies below the installation folder: the record names nothing anywhere else, so a record
// that does is not one the installer wrote. The first line names the form; a record of another form
// is never acted on, except form 2, the same lines without R and V, written by the installer that
// renamed files from its first change on: it is read as swapping from its start.
// Every line ends with a line feed; a last line without one was cut short by the end of the process
// before its change began, and counts as not written.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "format/DestinationRule.h"
#include "framework/ScopedHandle.h"

namespace zr {

inline constexpr wchar_t RECORD_FILE_NAME[] = L"" ZR_RECORD_FILE_NAME;
// A record larger than this is not one the installer wrote (255 entries of a few lines of at most a
// few hundred characters each).
inline constexpr unsigned long long MAX_RECORD_SIZE = 4ull * 1024 * 1024;

enum E_CHANGE_KIND : char {
    CHANGE_CREATED = 'C',
    CHANGE_INSTALLED_ASIDE = 'B',
    CHANGE_STAGED = 'S',
};

struct RECORDED_CHANGE {
    E_CHANGE_KIND kind;
    std::wstring path;    // full path, without the "\\?\" form
    std::wstring backup;  // kept aside or staged: the reserved name beside `path`
};

struct RECOVERY_RECORD {
    std::wstring installFolder;
    std::vector<RECORDED_CHANGE> changes;  // in the order they were written, reservations as moved
    bool bSwapping = false;                // installed files may have been renamed: B and C count
    bool bCommitted = false;
};

// One record line as the writer puts it, line feed included.
std::string FormatRecordHeader(const std::wstring& installFolder);
std::string FormatRecordChange(const RECORDED_CHANGE& change);
// The reservation of `change` (an S or B line) moved to the name `moved` beside it.
std::string FormatReservationMoved(const RECORDED_CHANGE& change, const std::wstring& moved);
inline constexpr char RECORD_SWAP_LINE[] = "V\n";
inline constexpr char RECORD_COMMIT_LINE[] = "K\n";

// The reserved form of the names the installer gives files it keeps aside or stages: "zr~", 8
// hexadecimal digits in capitals, ".tmp". The name of `number`:
std::wstring ReservedName(std::uint32_t number);
// Whether `name` is of the reserved form; with `anyCase`, letters in any case (as the file system
// matches them). Its number in *number when given.
bool ParseReservedName(const std::wstring& name, bool anyCase, std::uint32_t* number = nullptr);
// A listing mask that matches every name of the reserved form (and more: check each with ParseReservedName).
std::wstring ReservedNameMask();

enum E_RECORD_FAULT {
    RECORD_OK,
    RECORD_TOO_LARGE,
    RECORD_BAD_HEADER,
    RECORD_OTHER_INSTALLATION,  // names another installation folder than the one it lies in
    RECORD_BAD_LINE,            // unknown kind, wrong fields, not UTF-8, a line after the commit point, a
                                // commit point without the swap, a moved reservation never made
    RECORD_PATH_OUTSIDE,        // a path not below the installation folder, or unsafe
    RECORD_BAD_BACKUP,          // not of the reserved form, or not in the folder of its file
};

// Reads a record as hostile input: `bytes` must not exceed MAX_RECORD_SIZE, name `installFolder`
// (full, ending in a backslash) as its installation, and every path must lie below it, with plain
// components. A record whose header was cut short before any change gives RECORD_OK with no changes.
// On a fault `*record` holds nothing to act on.
E_RECORD_FAULT ParseRecoveryRecord(const std::string& bytes,
                                   const std::wstring& installFolder,
                                   RECOVERY_RECORD* record);

// The writer's side: the record file itself, held open without sharing.
class CRecordFile {
  public:
    CRecordFile() = default;
    CRecordFile(const CRecordFile&) = delete;
    CRecordFile& operator=(const CRecordFile&) = delete;
    // Closes the file and leaves it where it is, for the next start.
    ~CRecordFile() = default;

    // Creates the record in `installFolder` (full, ending in a backslash); fails, touching nothing,
    // when a record exists there already (another copy installing, or an unfinished run).
    bool Create(const std::wstring& installFolder) { return Open(installFolder, CREATE_NEW); }
    // Opens an existing record for recovery, without sharing. The error is GetLastError's:
    // ERROR_FILE_NOT_FOUND when there is none, ERROR_SHARING_VIOLATION when a run holds it.
    bool OpenExisting(const std::wstring& installFolder, DWORD* error);

    // Appends `text` and flushes it to the disk before returning, so that the change it announces
    // can begin.
    bool Append(const std::string& text);
    // The whole file, at most MAX_RECORD_SIZE + 1 bytes (so that a larger one shows as too large).
    bool ReadAll(std::string* bytes);
    // Deletes the record while it is still held, so no other process can meet it half removed.
    bool Remove();
    // Lets go of the record and leaves it in place.
    void Abandon() { m_file.reset(); }

  private:
    bool Open(const std::wstring& installFolder, DWORD disposition);

    ScopedKernelHandle m_file;
    std::wstring m_path;
};

}  // namespace zr
