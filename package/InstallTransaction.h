// Places a package's files into the installation so that it ends wholly old or wholly new whatever
// happens to the process: every change is announced in the recovery record before it is made, files
// are only ever renamed into free names (nothing is replaced in one step), and a move to another
// volume goes through a recorded temporary copy beside the destination, never into the destination.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

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

    // Writes the next `size` bytes of `package` to the Working file and moves it to its destination.
    // A file standing at either name is kept aside first; a user's file at the Working file name is
    // put back as soon as the Working file has moved on. False on any failure; call Rollback then.
    bool PlaceEntry(const PLACEMENT& placement,
                    std::FILE* package,
                    std::uint32_t size,
                    char* buffer,
                    std::size_t bufferSize);

    // The commit point, then every installed file kept aside deleted and the record removed. False
    // when a backup cannot be deleted: the installation is new, and the record stays for the next
    // start to finish.
    bool Commit();
    // Puts everything back and removes the record. False when something could not be put back: the
    // record stays, and the next start finishes the work.
    bool Rollback();

  private:
    bool KeepAsideOrNoteNew(const std::wstring& path, E_CHANGE_KIND asideKind, RECORDED_CHANGE* change);
    bool NewReservedName(const std::wstring& folder, std::wstring* name);
    bool Announce(const RECORDED_CHANGE* changes, std::size_t count);
    bool MoveAcrossVolumes(const std::wstring& working,
                           const std::wstring& destination,
                           char* buffer,
                           std::size_t bufferSize);
    bool Finish(bool complete);

    CRecordFile m_file;
    RECOVERY_RECORD m_record;
    bool m_bOpen = false;
    unsigned m_nNextName = 0;
};

}  // namespace zr
