#include "journal/Recovery.h"

#include <windows.h>

#include "files/FileInUse.h"
#include "files/LongPath.h"
#include "journal/FaultPoint.h"

namespace zr {

namespace {

// A file held by a virus scanner or an indexer for a moment should not make the update fail.
// A held file is waited for longer (files/FileInUse.h).
constexpr int ATTEMPTS = 5;

// Deletes a file; one that is not there is already gone.
bool DeleteIfPresent(const std::wstring& path) {
    const std::wstring longPath = LongPathForm(path);
    return RetriedWhileInUse(
        [&] {
            // The plain delete first: it is what nearly always happens, at one call per file.
            if (::DeleteFileW(longPath.c_str()) || IsMissingFileError(::GetLastError()))
                return true;
            const DWORD attributes = ::GetFileAttributesW(longPath.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return IsMissingFileError(::GetLastError());
            if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                return false;
            if (attributes & FILE_ATTRIBUTE_READONLY)
                ::SetFileAttributesW(longPath.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
            return ::DeleteFileW(longPath.c_str()) || IsMissingFileError(::GetLastError());
        },
        ATTEMPTS);
}

// Puts a file kept aside back at its name, over whatever stands there now; a backup that is gone was
// put back already (or never made).
bool RestoreIfPresent(const std::wstring& backup, const std::wstring& path) {
    const std::wstring longBackup = LongPathForm(backup);
    const std::wstring longPath = LongPathForm(path);
    return RetriedWhileInUse(
        [&] {
            return ::MoveFileExW(longBackup.c_str(), longPath.c_str(), MOVEFILE_REPLACE_EXISTING) ||
                   ::GetFileAttributesW(longBackup.c_str()) == INVALID_FILE_ATTRIBUTES;
        },
        ATTEMPTS);
}

}  // namespace

bool CarryOutRecord(const RECOVERY_RECORD& record, std::vector<std::wstring>* left) {
    bool complete = true;
    const auto settle = [&](bool done, const std::wstring& path) {
        if (!done && left)
            left->push_back(path);
        complete &= done;
    };
    if (record.bCommitted) {
        for (const RECORDED_CHANGE& change : record.changes) {
            // A staged file still standing after the commit point was never renamed in: that cannot
            // happen in a run that reached the commit point, but leaving it would leave it for good.
            if (change.kind == CHANGE_INSTALLED_ASIDE || change.kind == CHANGE_STAGED)
                settle(DeleteIfPresent(change.backup), change.backup);
            FaultPoint();
        }
        return complete;
    }
    // Newest first: the same destination twice is put back through each of its states in turn.
    // Before the swap nothing installed was renamed: only the staged files are the run's.
    for (auto change = record.changes.rbegin(); change != record.changes.rend(); ++change) {
        if (!record.bSwapping && change->kind != CHANGE_STAGED)
            continue;
        if (change->kind == CHANGE_CREATED)
            settle(DeleteIfPresent(change->path), change->path);
        else if (change->kind == CHANGE_STAGED)
            settle(DeleteIfPresent(change->backup), change->backup);
        else
            settle(RestoreIfPresent(change->backup, change->path), change->path);
        FaultPoint();
    }
    return complete;
}

E_RECOVERY RecoverInstallation(const char* installFolder) {
    // No installation folder (or none the system can name): nothing can hold a record.
    std::wstring folder;
    if (!FullFolderPath(WidenAnsi(installFolder), &folder))
        return RECOVERY_NOTHING;
    CRecordFile file;
    DWORD error = ERROR_SUCCESS;
    if (!file.OpenExisting(folder, &error)) {
        if (IsMissingFileError(error))
            return RECOVERY_NOTHING;
        return error == ERROR_SHARING_VIOLATION ? RECOVERY_LIVE : RECOVERY_UNFINISHED;
    }
    std::string bytes;
    if (!file.ReadAll(&bytes))
        return RECOVERY_UNFINISHED;
    RECOVERY_RECORD record;
    if (ParseRecoveryRecord(bytes, folder, &record) != RECORD_OK)
        return RECOVERY_REFUSED;
    // A record not carried out in full stays for a later start.
    return CarryOutRecord(record) && file.Remove() ? RECOVERY_DONE : RECOVERY_UNFINISHED;
}

}  // namespace zr
