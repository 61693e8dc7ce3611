// Places a package's files into the installation so that it ends wholly old or wholly new whatever
// happens to the process: every change is announced in the recovery record before it is made, files
// are only ever renamed into free names (nothing is replaced in one step), and a move to another
// volume goes through a recorded temporary copy beside the destination, never into the destination.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <map>
#include <vector>

#include "package/InstallOutcome.h"
#include "package/RecoveryRecord.h"

namespace zr {

// Where one entry goes, as full paths (without the "\\?\" form).
struct PLACEMENT {
    std::wstring working;      // the Working file in the working folder
    std::wstring destination;  // the Destination path in the installation folder
    bool bInPlace = false;     // the Working file is the destination itself (same file on disk)
};

class CInstallTransaction {
  public:
    CInstallTransaction() = default;
    // A run that was neither committed nor rolled back is rolled back.
    ~CInstallTransaction();
    CInstallTransaction(const CInstallTransaction&) = delete;
    CInstallTransaction& operator=(const CInstallTransaction&) = delete;

    // Takes the installation: creates its recovery record (full folder paths ending in a backslash).
    // False, with nothing touched, when a record exists already (another copy is installing, or a run
    // was interrupted and not yet recovered) or the record cannot be written.
    bool Begin(const std::wstring& installFolder, const std::wstring& workingFolder);

    // Works out what placing `placement` will change, as the entries staged before it leave the
    // names it uses: whether a file stands at its Working file name and at its destination, and the
    // reserved names for what is kept aside and for a copy across volumes. False, with nothing
    // staged, when a folder or a read-only file stands at either name (the installation must not
    // replace what it could not overwrite).
    bool StageEntry(const PLACEMENT& placement);
    // Writes every staged change to the record in one write, flushed, before the first is made: a
    // recorded change that is never made is undone as a no-op, so the record says at every instant
    // how to put everything back, at the cost of one flush for the whole package.
    bool AnnounceStaged();

    // Writes the next `size` bytes of `package` to the Working file of the `index`-th staged entry
    // and moves it to its destination. A file standing at either name is kept aside first; a user's
    // file at the Working file name is put back as soon as the Working file has moved on. Whatever
    // does not stand as staged fails the step. Adds every payload byte written to *bytesDone and tells
    // `progress` (which may be null). False on any failure; call Rollback then.
    bool PlaceEntry(std::size_t index,
                    std::FILE* package,
                    std::uint32_t size,
                    char* buffer,
                    std::size_t bufferSize,
                    CInstallProgress* progress,
                    std::uint64_t* bytesDone);

    // The commit point, then every installed file kept aside deleted and the record removed. False
    // when a backup cannot be deleted: the installation is new, and the record stays for the next
    // start to finish.
    bool Commit();
    // Puts everything back and removes the record. False when something could not be put back: the
    // record stays, and the next start finishes the work.
    bool Rollback();

  private:
    struct STAGED_ENTRY {
        PLACEMENT placement;
        RECORDED_CHANGE working;
        RECORDED_CHANGE destination;  // unused when the Working file is the destination
        std::wstring temporary;       // the copy's name beside the destination, should that be on another volume
    };

    // Whether a file stands at `path` once the staged entries are done; *usable is false for a
    // folder or a read-only file, or when the name cannot be looked at.
    bool StandsAfterStaged(const std::wstring& path, bool* usable);
    void NoteStanding(const std::wstring& path, bool stands);
    bool NewReservedName(const std::wstring& folder, std::wstring* name);
    bool MoveAcrossVolumes(const std::wstring& working,
                           const std::wstring& temporary,
                           const std::wstring& destination,
                           char* buffer,
                           std::size_t bufferSize);
    bool Finish(bool complete);

    CRecordFile m_file;
    RECOVERY_RECORD m_record;
    std::vector<STAGED_ENTRY> m_staged;
    std::map<std::wstring, bool> m_standing;  // upper-cased path, whether a file stands there
    bool m_bAnnounced = false;
    bool m_bOpen = false;
    unsigned m_nNextName = 0;
};

}  // namespace zr
