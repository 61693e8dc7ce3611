#include "journal/Recovery.h"

#include <windows.h>

#include <functional>

#include "files/FileInUse.h"
#include "journal/FaultPoint.h"
#include "files/LongPath.h"

namespace zr {

namespace {

// A file held by a virus scanner or an indexer for a moment should not make the update fail.
// A held file is waited for longer (files/FileInUse.h).
constexpr int ATTEMPTS = 5;

bool WithRetries(const std::function<bool()>& step) {
    return RetriedWhileInUse(step, ATTEMPTS);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(LongPathForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Deletes a file; one that is not there is already gone.
bool DeleteIfPresent(const std::wstring& path) {
    const std::wstring longPath = LongPathForm(path);
    return WithRetries([&] {
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
    });
}

// Puts a file kept aside back at its name, over whatever stands there now; a backup that is gone was
// put back already (or never made).
bool RestoreIfPresent(const std::wstring& backup, const std::wstring& path) {
    const std::wstring longBackup = LongPathForm(backup);
    const std::wstring longPath = LongPathForm(path);
    return WithRetries([&] {
        if (::MoveFileExW(longBackup.c_str(), longPath.c_str(), MOVEFILE_REPLACE_EXISTING))
            return true;
        return !Exists(backup);
    });
}

}  // namespace

bool CarryOutRecord(const RECOVERY_RECORD& record, std::vector<std::wstring>* left) {
    bool complete = true;
    if (record.bCommitted) {
        for (const RECORDED_CHANGE& change : record.changes) {
            // A staged file still standing after the commit point was never renamed in: that cannot
            // happen in a run that reached the commit point, but leaving it would leave it for good.
            if (change.kind == CHANGE_INSTALLED_ASIDE || change.kind == CHANGE_STAGED) {
                const bool gone = DeleteIfPresent(change.backup);
                if (!gone && left)
                    left->push_back(change.backup);
                complete &= gone;
            }
            FaultPoint();
        }
        return complete;
    }
    // Newest first: the same destination twice is put back through each of its states in turn.
    // Before the swap nothing installed was renamed: only the staged files are the run's.
    for (auto change = record.changes.rbegin(); change != record.changes.rend(); ++change) {
        if (!record.bSwapping && change->kind != CHANGE_STAGED)
            continue;
        bool undone;
        if (change->kind == CHANGE_CREATED)
            undone = DeleteIfPresent(change->path);
        else if (change->kind == CHANGE_STAGED)
            undone = DeleteIfPresent(change->backup);
        else
            undone = RestoreIfPresent(change->backup, change->path);
        if (!undone && left)
            left->push_back(change->kind == CHANGE_STAGED ? change->backup : change->path);
        complete &= undone;
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
    if (!CarryOutRecord(record))
        return RECOVERY_UNFINISHED;  // the file stays for a later start
    return file.Remove() ? RECOVERY_DONE : RECOVERY_UNFINISHED;
}

}  // namespace zr
