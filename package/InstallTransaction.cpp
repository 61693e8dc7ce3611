#include "package/InstallTransaction.h"

#include <windows.h>

#include <cwchar>

#include "framework/ScopedHandle.h"
#include "package/FaultPoint.h"
#include "package/LongPath.h"
#include "package/Recovery.h"

namespace zr {

namespace {

// Renames without replacing anything: a name that turns out to be taken fails the step instead of
// losing what stands there.
bool Rename(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(LongPathForm(from).c_str(), LongPathForm(to).c_str(), 0) != FALSE;
}

ScopedKernelHandle CreateNewFile(const std::wstring& path) {
    return ScopedKernelHandle(::CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
    DWORD written = 0;
    return ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

// Paths as keys, compared as the file system compares names: without case.
std::wstring PathKey(const std::wstring& path) {
    std::wstring key = path;
    if (!key.empty())
        ::CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

}  // namespace

CInstallTransaction::~CInstallTransaction() {
    if (m_bOpen)
        Rollback();
}

bool CInstallTransaction::Begin(const std::wstring& installFolder, const std::wstring& workingFolder) {
    if (m_bOpen || installFolder.empty() || installFolder.back() != L'\\' || workingFolder.empty() ||
        workingFolder.back() != L'\\')
        return false;
    if (!m_file.Create(installFolder))
        return false;
    m_record = RECOVERY_RECORD();
    m_record.installFolder = installFolder;
    m_record.workingFolder = workingFolder;
    m_bOpen = true;
    if (!m_file.Append(FormatRecordHeader(installFolder, workingFolder))) {
        m_bOpen = false;
        m_file.Remove();
        return false;
    }
    FaultPoint();
    return true;
}

bool CInstallTransaction::NewReservedName(const std::wstring& folder, std::wstring* name) {
    // The first name comes from the process and the time, to start apart from names another run may
    // have left; a name is taken only when nothing stands there.
    if (m_nNextName == 0)
        m_nNextName = (::GetCurrentProcessId() << 16) ^ ::GetTickCount();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        wchar_t text[16];
        std::swprintf(text, 16, L"zr~%08X.tmp", m_nNextName++);
        *name = folder + text;
        if (::GetFileAttributesW(LongPathForm(*name).c_str()) == INVALID_FILE_ATTRIBUTES &&
            IsMissingFileError(::GetLastError()))
            return true;
    }
    return false;
}

bool CInstallTransaction::StandsAfterStaged(const std::wstring& path, bool* usable) {
    *usable = true;
    const auto known = m_standing.find(PathKey(path));
    if (known != m_standing.end())
        return known->second;
    const DWORD attributes = ::GetFileAttributesW(LongPathForm(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *usable = IsMissingFileError(::GetLastError());
        return false;
    }
    *usable = !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
    return true;
}

void CInstallTransaction::NoteStanding(const std::wstring& path, bool stands) {
    m_standing[PathKey(path)] = stands;
}

bool CInstallTransaction::StageEntry(const PLACEMENT& placement) {
    if (!m_bOpen || m_bAnnounced)
        return false;
    // The record itself is never a Working file or a destination (a package could name it).
    const std::wstring record = m_record.installFolder + RECORD_FILE_NAME;
    if (SamePathText(placement.working, record) || SamePathText(placement.destination, record))
        return false;
    STAGED_ENTRY staged;
    staged.placement = placement;
    bool usable = false;
    staged.working.path = placement.working;
    if (StandsAfterStaged(placement.working, &usable)) {
        // When the Working file is the destination, what stands there is the installed file.
        staged.working.kind = placement.bInPlace ? CHANGE_INSTALLED_ASIDE : CHANGE_USERS_ASIDE;
        if (!NewReservedName(FolderPart(placement.working), &staged.working.backup))
            return false;
    } else {
        staged.working.kind = CHANGE_CREATED;
    }
    if (!usable)
        return false;
    if (!placement.bInPlace) {
        staged.destination.path = placement.destination;
        if (StandsAfterStaged(placement.destination, &usable)) {
            staged.destination.kind = CHANGE_INSTALLED_ASIDE;
            if (!NewReservedName(FolderPart(placement.destination), &staged.destination.backup))
                return false;
        } else {
            staged.destination.kind = CHANGE_CREATED;
        }
        if (!usable || !NewReservedName(FolderPart(placement.destination), &staged.temporary))
            return false;
    }
    // What the entry leaves: a user's file back at the Working file name, or nothing there once the
    // Working file has moved on; its file at the destination.
    NoteStanding(placement.working, placement.bInPlace || staged.working.kind != CHANGE_CREATED);
    if (!placement.bInPlace)
        NoteStanding(placement.destination, true);
    m_staged.push_back(staged);
    return true;
}

bool CInstallTransaction::AnnounceStaged() {
    if (!m_bOpen || m_bAnnounced)
        return false;
    std::string text;
    for (const STAGED_ENTRY& staged : m_staged) {
        std::vector<RECORDED_CHANGE> changes = {staged.working};
        if (!staged.placement.bInPlace) {
            changes.push_back(staged.destination);
            changes.push_back({CHANGE_CREATED, staged.temporary, std::wstring()});
        }
        for (const RECORDED_CHANGE& change : changes) {
            m_record.changes.push_back(change);
            text += FormatRecordChange(change);
        }
    }
    m_bAnnounced = true;
    if (!m_file.Append(text))
        return false;
    FaultPoint();
    return true;
}

bool CInstallTransaction::PlaceEntry(std::size_t index,
                                     std::FILE* package,
                                     std::uint32_t size,
                                     char* buffer,
                                     std::size_t bufferSize,
                                     CInstallProgress* progress,
                                     std::uint64_t* bytesDone) {
    if (!m_bOpen || !m_bAnnounced || index >= m_staged.size())
        return false;
    const STAGED_ENTRY& staged = m_staged[index];
    const RECORDED_CHANGE& working = staged.working;
    // Renames never replace and files are created new only: a name that does not stand as staged
    // fails the step instead of losing what is there.
    if (working.kind != CHANGE_CREATED) {
        if (!Rename(working.path, working.backup))
            return false;
        FaultPoint();
    }
    {
        ScopedKernelHandle file = CreateNewFile(working.path);
        if (!file)
            return false;
        for (std::uint32_t left = size; left > 0;) {
            const std::size_t chunk = left < bufferSize ? left : bufferSize;
            if (std::fread(buffer, 1, chunk, package) != chunk || !WriteAll(file.get(), buffer, chunk))
                return false;
            left -= static_cast<std::uint32_t>(chunk);
            *bytesDone += chunk;
            if (progress)
                progress->OnBytesPlaced(*bytesDone);
            FaultPoint();
        }
        if (!::CloseHandle(file.release()))
            return false;
    }
    FaultPoint();
    if (staged.placement.bInPlace)
        return true;

    const RECORDED_CHANGE& destination = staged.destination;
    if (destination.kind != CHANGE_CREATED) {
        if (!Rename(destination.path, destination.backup))
            return false;
        FaultPoint();
    }
    if (!Rename(working.path, destination.path)) {
        if (::GetLastError() != ERROR_NOT_SAME_DEVICE ||
            !MoveAcrossVolumes(working.path, staged.temporary, destination.path, buffer, bufferSize))
            return false;
    }
    FaultPoint();
    if (working.kind == CHANGE_USERS_ASIDE) {
        if (!Rename(working.backup, working.path))
            return false;
        FaultPoint();
    }
    return true;
}

bool CInstallTransaction::MoveAcrossVolumes(const std::wstring& working,
                                            const std::wstring& temporary,
                                            const std::wstring& destination,
                                            char* buffer,
                                            std::size_t bufferSize) {
    // The copy is made under its recorded reserved name beside the destination, then renamed over
    // it on that volume: no destination ever holds part of a file.
    {
        ScopedKernelHandle source(::CreateFileW(LongPathForm(working).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        ScopedKernelHandle copy = CreateNewFile(temporary);
        if (!source || !copy)
            return false;
        for (;;) {
            DWORD read = 0;
            if (!::ReadFile(source.get(), buffer, static_cast<DWORD>(bufferSize), &read, nullptr))
                return false;
            if (read == 0)
                break;
            if (!WriteAll(copy.get(), buffer, read))
                return false;
            FaultPoint();
        }
        if (!::CloseHandle(copy.release()))
            return false;
    }
    if (!Rename(temporary, destination))
        return false;
    FaultPoint();
    return ::DeleteFileW(LongPathForm(working).c_str()) != FALSE;
}

bool CInstallTransaction::Commit() {
    if (!m_bOpen)
        return false;
    // Whether the commit line reached the disk is unknown when the append fails: the record then
    // stays as it is, and the next start finishes one way or the other from what it reads.
    if (!m_file.Append(RECORD_COMMIT_LINE))
        return Finish(false);
    m_record.bCommitted = true;
    FaultPoint();
    return Finish(CarryOutRecord(m_record));
}

bool CInstallTransaction::Rollback() {
    if (!m_bOpen)
        return false;
    return Finish(CarryOutRecord(m_record));
}

bool CInstallTransaction::Finish(bool complete) {
    m_bOpen = false;
    if (complete && m_file.Remove())
        return true;
    m_file.Abandon();  // the next start finishes from the record
    return false;
}

}  // namespace zr
