// Places a package's files into the installation so that it ends wholly old or wholly new whatever
// happens to the process or the power: every change is announced in the recovery record before it is
// made, each payload is written to a new file under a reserved name beside its destination (inside
// the installation, so it takes the installation's permissions and no other program can reach it),
// and files are only ever renamed into free names (nothing is replaced in one step).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "journal/RecoveryRecord.h"

namespace zr {

class CInstallTransaction {
  public:
    CInstallTransaction() = default;
    // A run that was neither committed nor rolled back is rolled back.
    ~CInstallTransaction();
    CInstallTransaction(const CInstallTransaction&) = delete;
    CInstallTransaction& operator=(const CInstallTransaction&) = delete;

    // Takes the installation: creates its recovery record (`installFolder` full, ending in a
    // backslash). False, with nothing touched, when a record exists already (another copy is
    // installing, or a run was interrupted and not yet recovered) or the record cannot be written.
    bool Begin(const std::wstring& installFolder);

    // Reserves the names for placing a file at `destination` (full, below the installation): the
    // staged file's and, when `replaces` (a file stands there once the entries staged before it are
    // placed), the name the installed file is kept aside under. The plan has judged the destination.
    bool StageEntry(const std::wstring& destination, bool replaces);
    // Writes every staged change to the record in one write, flushed, before the first is made: a
    // recorded change that is never made is undone as a no-op, so the record says at every instant
    // how to put everything back, at the cost of one flush for the whole package.
    bool AnnounceStaged();

    // Creates the new file of the `index`-th staged entry under its reserved name, opened by nobody
    // else, for the caller to write; DELETE access, so it is renamed in through this handle. Null on
    // failure.
    ScopedKernelHandle CreateStagedFile(std::size_t index);
    // Flushes the written `staged` file to the disk, keeps the installed file aside (through
    // `installed`, the handle taken on it before anything changed, when given; by its name otherwise,
    // as for a destination the run itself placed before) and renames the staged file into the freed
    // name through its handle. Both handles are closed. A file held by another program for a moment
    // is waited for (files/FileInUse.h). False on any failure; call Rollback then.
    bool PutInPlace(std::size_t index, ScopedKernelHandle& staged, ScopedKernelHandle& installed);

    // The commit point, then every installed file kept aside deleted and the record removed. False
    // when a backup cannot be deleted (its path is added to *left when given): the installation is
    // new (Committed() says so), and the record stays for the next start to finish.
    bool Commit(std::vector<std::wstring>* left = nullptr);
    // Whether the commit line was written: the installation is the new one from then on.
    bool Committed() const { return m_record.bCommitted; }
    // Puts everything back and removes the record. False when something could not be put back: the
    // record stays, and the next start finishes the work.
    bool Rollback();

  private:
    struct STAGED_ENTRY {
        RECORDED_CHANGE staged;       // CHANGE_STAGED: the destination and the new file's reserved name
        RECORDED_CHANGE destination;  // CHANGE_INSTALLED_ASIDE or CHANGE_CREATED
    };

    bool NewReservedName(const std::wstring& folder, std::wstring* name);
    bool Finish(bool complete);

    CRecordFile m_file;
    RECOVERY_RECORD m_record;
    std::vector<STAGED_ENTRY> m_staged;
    std::vector<std::wstring> m_reserved;  // upper-cased reserved names handed out in this run
    bool m_bAnnounced = false;
    bool m_bOpen = false;
    unsigned m_nNextName = 0;
};

// Renames the file open as `file` (opened with DELETE access) to `to` (a full path on its volume),
// never replacing what stands there. Through the handle where the system offers it, so the file that
// is renamed is the one that was written; otherwise, or when the system refuses the call, by its
// path `from` after closing the handle. A moment's hold by another program is waited for. The
// handle is closed either way.
bool RenameOpenFile(ScopedKernelHandle& file, const std::wstring& from, const std::wstring& to);

}  // namespace zr
