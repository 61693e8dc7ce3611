// Places a package's files into the installation so that it ends wholly old or wholly new whatever
// happens to the process or the power, in three phases: every payload is staged (written to a new
// file under a reserved name beside its destination, inside the installation, so it takes the
// installation's permissions and no other program can reach it), the package is verified by the
// caller, and only then are the installed files swapped for the staged ones, by renames alone. Every
// change is announced in the recovery record before it is made, the record says when the swap
// begins, and files are only ever renamed into free names (nothing is replaced in one step).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
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

    // Takes the installation: creates its recovery record, empty (`installFolder` full, ending in a
    // backslash). False, with nothing touched, when a record exists already (another copy is
    // installing, or a run was interrupted and not yet recovered) or it cannot be created.
    bool Begin(const std::wstring& installFolder);

    // Names the changes for placing a file at `destination` (full, below the installation): the staged
    // file's reserved name and, when `replaces` (a file stands there once the entries staged before it
    // are placed), the name the installed file is kept aside under: names of the reserved form that
    // stand in the folder already are passed over (the folder is listed once, at its first entry).
    // The plan has judged the destination.
    bool StageEntry(const std::wstring& destination, bool replaces);
    // Writes the record's header and every change named in one write, flushed, before the first is
    // made: a recorded change that is never made is undone as a no-op, so the record says at every
    // instant how to put everything back.
    bool AnnounceStaged();

    // Staging: creates the new file of the `index`-th entry under its reserved name, opened by nobody
    // else, and holds it until it is renamed in; the caller writes it through the returned handle,
    // which stays the transaction's. A reserved name found taken (another's file, made since the
    // folder was listed) makes the record move the reservation to a new name before it is tried.
    // Null on failure.
    HANDLE CreateStagedFile(std::size_t index);
    // Ends the staging: every staged file flushed to the disk, several at a time, so that the disk and
    // the file system merge the flushes.
    bool FlushStaged();
    // The record's swap line, flushed, once every staged file is on the disk. Until that line the
    // installation is untouched, and a rollback or the next start only deletes staged files.
    bool BeginSwap();
    // The swap of the `index`-th entry: the installed file kept aside (through `installed`, the handle
    // taken on it before anything changed, when given; by its name otherwise, as for a destination the
    // run itself placed before) and the staged file renamed into the freed name through its handle.
    // Both handles are closed. A file held by another program for a moment is waited for
    // (files/FileInUse.h). False on any failure; call Rollback then.
    bool PutInPlace(std::size_t index, ScopedKernelHandle& installed);

    // The commit point, then every installed file kept aside deleted and the record removed. False
    // when a backup cannot be deleted (its path is added to *left when given): the installation is
    // new (Committed() says so), and the record stays for the next start to finish.
    bool Commit(std::vector<std::wstring>* left = nullptr);
    // Whether the commit line was written: the installation is the new one from then on.
    bool Committed() const { return m_made.bCommitted; }
    // Puts everything back and removes the record. False when something could not be put back (each
    // such path is added to *left when given): the record stays, and the next start finishes the work.
    bool Rollback(std::vector<std::wstring>* left = nullptr);
    // Begun and neither committed nor rolled back yet.
    bool IsOpen() const { return m_phase != PHASE_CLOSED; }

  private:
    bool NewReservedName(const std::wstring& path, std::wstring* name);
    bool UseReservedName(std::size_t change, const std::function<bool(const std::wstring& name)>& use);
    bool Finish(bool complete);

    CRecordFile m_file;
    RECOVERY_RECORD m_announced;  // what the record on the disk says
    RECOVERY_RECORD m_made;       // the changes begun so far: what this run's own rollback undoes
    // Per upper-cased folder, the numbers of the reserved names standing there before the run.
    std::map<std::wstring, std::set<std::uint32_t>> m_standing;
    // Per entry, its staged file from its creation until it is renamed in. The `index`-th entry's
    // changes in m_announced are 2 * index (CHANGE_STAGED) and 2 * index + 1 (its destination's:
    // CHANGE_INSTALLED_ASIDE or CHANGE_CREATED).
    std::vector<ScopedKernelHandle> m_staged;
    // Where the run stands; each step checks that it comes in its turn.
    enum E_PHASE {
        PHASE_CLOSED,    // not begun, or committed or rolled back
        PHASE_NAMING,    // begun: the changes are being named
        PHASE_STAGING,   // announced in the record: staged files are created
        PHASE_FLUSHED,   // every staged file is on the disk
        PHASE_SWAPPING,  // the record's swap line is written: installed files are renamed
    };
    E_PHASE m_phase = PHASE_CLOSED;
    std::uint32_t m_nNextName = 0;
};

// Renames the file open as `file` (opened with DELETE access) to `to` (a full path on its volume),
// never replacing what stands there. Through the handle where the system offers it, so the file that
// is renamed is the one that was written; otherwise, or when the system refuses the call, by its
// path `from` after closing the handle. A moment's hold by another program is waited for. The
// handle is closed either way.
bool RenameOpenFile(ScopedKernelHandle& file, const std::wstring& from, const std::wstring& to);

}  // namespace zr
