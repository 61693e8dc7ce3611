#include "journal/InstallTransaction.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <vector>

#include "files/FileInUse.h"
#include "files/LongPath.h"
#include "framework/ScopedHandle.h"
#include "framework/SystemLibrary.h"
#include "journal/FaultPoint.h"
#include "journal/Recovery.h"

namespace zr {

namespace {

// Renames without replacing anything: a name that turns out to be taken fails the step instead of
// losing what stands there.
bool Rename(const std::wstring& from, const std::wstring& to) {
    const std::wstring longFrom = LongPathForm(from);
    const std::wstring longTo = LongPathForm(to);
    return RetriedWhileInUse([&] { return ::MoveFileExW(longFrom.c_str(), longTo.c_str(), 0) != FALSE; });
}

// A new file nobody else may open while it is written; DELETE access so that it can be renamed
// through this handle.
ScopedKernelHandle CreateNewPrivateFile(const std::wstring& path) {
    return ScopedKernelHandle(::CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Paths as keys, compared as the file system compares names: without case.
std::wstring PathKey(const std::wstring& path) {
    std::wstring key = path;
    if (!key.empty())
        ::CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

}  // namespace

bool RenameOpenFile(ScopedKernelHandle& file, const std::wstring& from, const std::wstring& to) {
    static const auto setInformation = ZR_KERNEL_FUNCTION(SetFileInformationByHandle);
    if (setInformation && file) {
        const std::wstring target = LongPathForm(to);
        const std::size_t nameBytes = target.size() * sizeof(wchar_t);
        std::vector<unsigned char> storage(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t));
        FILE_RENAME_INFO* rename = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(nameBytes);
        std::copy(target.begin(), target.end(), rename->FileName);
        if (RetriedWhileInUse([&] {
                return setInformation(file.get(), FileRenameInfo, rename, static_cast<DWORD>(storage.size())) != FALSE;
            })) {
            file.reset();
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || error == ERROR_ACCESS_DENIED ||
            error == ERROR_SHARING_VIOLATION) {
            file.reset();
            return false;  // the same by path would meet the same obstacle
        }
    }
    // Older systems: by path, once the handle is closed. The file lies inside the installation, where
    // no other program may create or replace files, so the name still names the file written.
    file.reset();
    return Rename(from, to);
}

CInstallTransaction::~CInstallTransaction() {
    if (m_bOpen)
        Rollback();
}

bool CInstallTransaction::Begin(const std::wstring& installFolder) {
    if (m_bOpen || installFolder.empty() || installFolder.back() != L'\\')
        return false;
    if (!m_file.Create(installFolder))
        return false;
    m_record = RECOVERY_RECORD();
    m_record.installFolder = installFolder;
    m_bOpen = true;
    if (!m_file.Append(FormatRecordHeader(installFolder))) {
        m_bOpen = false;
        m_file.Remove();
        return false;
    }
    FaultPoint();
    return true;
}

bool CInstallTransaction::NewReservedName(const std::wstring& folder, std::wstring* name) {
    // The first name comes from the process and the time, to start apart from names another run may
    // have left; a name is taken only when nothing stands there and this run has not handed it out.
    if (m_nNextName == 0)
        m_nNextName = (::GetCurrentProcessId() << 16) ^ ::GetTickCount();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        wchar_t text[16];
        std::swprintf(text, 16, L"zr~%08X.tmp", m_nNextName++);
        *name = folder + text;
        if (::GetFileAttributesW(LongPathForm(*name).c_str()) == INVALID_FILE_ATTRIBUTES &&
            IsMissingFileError(::GetLastError()) &&
            std::find(m_reserved.begin(), m_reserved.end(), PathKey(*name)) == m_reserved.end()) {
            m_reserved.push_back(PathKey(*name));
            return true;
        }
    }
    return false;
}

bool CInstallTransaction::StageEntry(const std::wstring& destination, bool replaces) {
    if (!m_bOpen || m_bAnnounced || !IsBelowFolder(destination, m_record.installFolder))
        return false;
    STAGED_ENTRY entry;
    entry.staged.kind = CHANGE_STAGED;
    entry.staged.path = destination;
    entry.destination.path = destination;
    entry.destination.kind = replaces ? CHANGE_INSTALLED_ASIDE : CHANGE_CREATED;
    if (replaces && !NewReservedName(FolderPart(destination), &entry.destination.backup))
        return false;
    if (!NewReservedName(FolderPart(destination), &entry.staged.backup))
        return false;
    m_staged.push_back(entry);
    return true;
}

bool CInstallTransaction::AnnounceStaged() {
    if (!m_bOpen || m_bAnnounced)
        return false;
    std::string text;
    for (const STAGED_ENTRY& entry : m_staged) {
        for (const RECORDED_CHANGE* change : {&entry.staged, &entry.destination}) {
            m_record.changes.push_back(*change);
            text += FormatRecordChange(*change);
        }
    }
    m_bAnnounced = true;
    if (!m_file.Append(text))
        return false;
    FaultPoint();
    return true;
}

ScopedKernelHandle CInstallTransaction::CreateStagedFile(std::size_t index) {
    if (!m_bOpen || !m_bAnnounced || index >= m_staged.size())
        return ScopedKernelHandle();
    ScopedKernelHandle file;
    RetriedWhileInUse([&] {
        file = CreateNewPrivateFile(m_staged[index].staged.backup);
        return static_cast<bool>(file);
    });
    if (file)
        FaultPoint();
    return file;
}

bool CInstallTransaction::PutInPlace(std::size_t index, ScopedKernelHandle& staged, ScopedKernelHandle& installed) {
    if (!m_bOpen || !m_bAnnounced || index >= m_staged.size() || !staged)
        return false;
    const STAGED_ENTRY& entry = m_staged[index];
    // On the disk before the commit point can be written: a power loss after it must not leave a
    // new file without its contents once the backups are gone.
    if (!::FlushFileBuffers(staged.get()))
        return false;
    FaultPoint();
    // Renames never replace and files are created new only: a name that does not stand as staged
    // fails the step instead of losing what is there.
    if (entry.destination.kind == CHANGE_INSTALLED_ASIDE) {
        const bool aside = installed ? RenameOpenFile(installed, entry.destination.path, entry.destination.backup)
                                     : Rename(entry.destination.path, entry.destination.backup);
        if (!aside)
            return false;
        FaultPoint();
    }
    if (!RenameOpenFile(staged, entry.staged.backup, entry.staged.path))
        return false;
    FaultPoint();
    return true;
}

bool CInstallTransaction::Commit(std::vector<std::wstring>* left) {
    if (!m_bOpen)
        return false;
    // Whether the commit line reached the disk is unknown when the append fails: the record then
    // stays as it is, and the next start finishes one way or the other from what it reads.
    if (!m_file.Append(RECORD_COMMIT_LINE))
        return Finish(false);
    m_record.bCommitted = true;
    FaultPoint();
    return Finish(CarryOutRecord(m_record, left));
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
