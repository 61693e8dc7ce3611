#include "package/InstallJournal.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "package/AnsiLeadByte.h"
#include "package/PathText.h"

namespace {

// Removes a file this run created; a missing one is already gone.
void DeleteCreatedFile(const char* path) {
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path);
}

void FolderOf(const char* path, char (&folder)[MAX_PATH]) {
    std::memset(folder, 0, sizeof folder);
    std::memcpy(folder, path, FolderPartLength(path, &IsAnsiLeadByte));
}

}  // namespace

CInstallJournal::~CInstallJournal() {
    Rollback();
}

bool CInstallJournal::Reserve(std::size_t count) {
    try {
        m_changes.reserve(count);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CInstallJournal::MoveAside(const char* path) {
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return false;

    CHANGE change = {};
    std::strcpy(change.szPath, path);
    char folder[MAX_PATH];
    FolderOf(path, folder);
    if (std::strlen(folder) + ASIDE_NAME_LENGTH >= MAX_PATH)
        return false;
    // Names are tried until one is free; the rename never replaces anything, so a file under a name
    // in use cannot be lost. The first name comes from the process and the time, to start apart
    // from what an earlier run may have left.
    if (m_nNextAsideName == 0)
        m_nNextAsideName = (::GetCurrentProcessId() << 16) ^ ::GetTickCount();
    for (unsigned attempt = 0;; ++attempt) {
        std::snprintf(change.szAside, sizeof change.szAside, "%szr~%08X.tmp", folder, m_nNextAsideName++);
        if (::MoveFileExA(path, change.szAside, 0))
            break;
        const DWORD error = ::GetLastError();
        if ((error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) || attempt == 1000)
            return false;
    }
    m_changes.push_back(change);
    return true;
}

void CInstallJournal::NoteCreated(const char* path) {
    CHANGE change = {};
    std::strcpy(change.szPath, path);
    m_changes.push_back(change);
}

void CInstallJournal::Commit() {
    for (const CHANGE& change : m_changes) {
        // Never read-only: MoveAside refuses those.
        if (change.szAside[0] != '\0')
            ::DeleteFileA(change.szAside);
    }
    m_changes.clear();
}

void CInstallJournal::Rollback() {
    for (auto change = m_changes.rbegin(); change != m_changes.rend(); ++change) {
        DeleteCreatedFile(change->szPath);
        if (change->szAside[0] != '\0')
            ::MoveFileExA(change->szAside, change->szPath, MOVEFILE_REPLACE_EXISTING);
    }
    m_changes.clear();
}
