#include "journal/InstallTransaction.h"

#include <windows.h>
#include <process.h>

#include <algorithm>

#include "files/FileInUse.h"
#include "files/LongPath.h"
#include "journal/FaultPoint.h"
#include "journal/Recovery.h"

namespace zr {

namespace {

// Adds to *numbers the numbers of the names of the reserved form standing in `folder` (full, ending
// in a backslash), in any case: one listing of the folder instead of asking for each name, so that no
// name handed out and announced in the record is another's file already. False when the folder
// cannot be listed.
bool ListReservedNames(const std::wstring& folder, std::set<std::uint32_t>* numbers) {
    WIN32_FIND_DATAW found;
    const ScopedFindHandle search(::FindFirstFileW(LongPathForm(folder + ReservedNameMask()).c_str(), &found));
    if (!search)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        // The file system matches names in any case: so does the check.
        std::uint32_t number = 0;
        if (ParseReservedName(found.cFileName, true, &number))
            numbers->insert(number);
    } while (::FindNextFileW(search.get(), &found));
    return true;
}

struct FLUSH_WORK {
    const std::vector<ScopedKernelHandle>* files;
    volatile LONG next;
    volatile LONG failed;
};

unsigned __stdcall FlushSome(void* context) {
    auto* work = static_cast<FLUSH_WORK*>(context);
    for (;;) {
        const LONG index = ::InterlockedIncrement(&work->next) - 1;
        if (index >= static_cast<LONG>(work->files->size()))
            return 0;
        if (!::FlushFileBuffers((*work->files)[index].get()))
            ::InterlockedExchange(&work->failed, 1);
    }
}

// Flushes every file in `files` to the disk, two at a time (this thread and a helper): flushes under
// way together are merged by the disk and the file system into fewer commits than one after another
// would need. Every thread more costs the process about 0.7 MiB under Wine and measured no faster on
// the benchmark's disk.
bool FlushFilesTogether(const std::vector<ScopedKernelHandle>& files) {
    FLUSH_WORK work = {&files, 0, 0};
    const ScopedKernelHandle helper(
        files.size() > 1 ? reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 64 * 1024, &FlushSome, &work, 0, nullptr))
                         : nullptr);
    FlushSome(&work);  // this thread takes its share too, and all of it when the helper did not start
    if (helper)
        ::WaitForSingleObject(helper.get(), INFINITE);
    return work.failed == 0;
}

}  // namespace

bool RenameOpenFile(ScopedKernelHandle& file, const std::wstring& from, const std::wstring& to) {
    if (file) {
        const std::wstring target = LongPathForm(to);
        const std::size_t nameBytes = target.size() * sizeof(wchar_t);
        std::vector<unsigned char> storage(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t));
        FILE_RENAME_INFO* rename = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(nameBytes);
        std::copy(target.begin(), target.end(), rename->FileName);
        const bool renamed = RetriedWhileInUse([&] {
            return ::SetFileInformationByHandle(file.get(), FileRenameInfo, rename,
                                                static_cast<DWORD>(storage.size())) != FALSE;
        });
        const DWORD error = ::GetLastError();
        file.reset();
        // A name taken or a file held: the same by path would meet the same obstacle.
        if (renamed || error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || error == ERROR_ACCESS_DENIED ||
            error == ERROR_SHARING_VIOLATION)
            return renamed;
    }
    // No handle (a destination this run placed before), or a file system that refuses the call: by
    // path, the handle closed. The file lies inside the installation, where no other program may
    // create or replace files, so the name still names the file written.
    const std::wstring longFrom = LongPathForm(from);
    const std::wstring longTo = LongPathForm(to);
    return RetriedWhileInUse([&] { return ::MoveFileExW(longFrom.c_str(), longTo.c_str(), 0) != FALSE; });
}

CInstallTransaction::~CInstallTransaction() {
    if (IsOpen())
        Rollback();
}

bool CInstallTransaction::Begin(const std::wstring& installFolder) {
    if (IsOpen() || installFolder.empty() || installFolder.back() != L'\\')
        return false;
    if (!m_file.Create(installFolder))
        return false;
    m_announced = RECOVERY_RECORD();
    m_announced.installFolder = installFolder;
    m_made = m_announced;
    m_phase = PHASE_NAMING;
    // The first name comes from the process and the time, to start apart from names another run may
    // have left.
    m_nNextName = FirstReservedName((::GetCurrentProcessId() << 16) ^ ::GetTickCount());
    FaultPoint();
    return true;
}

bool CInstallTransaction::NewReservedName(const std::wstring& path, std::wstring* name) {
    const std::wstring folder = FolderPart(path);
    const std::wstring key = PathKey(folder);
    auto standing = m_standing.find(key);
    if (standing == m_standing.end()) {
        std::set<std::uint32_t> numbers;
        if (!ListReservedNames(folder, &numbers))
            return false;
        standing = m_standing.emplace(key, std::move(numbers)).first;
    }
    while (standing->second.count(m_nNextName))
        ++m_nNextName;
    *name = folder + ReservedName(m_nNextName++);
    return true;
}

bool CInstallTransaction::StageEntry(const std::wstring& destination, bool replaces) {
    if (m_phase != PHASE_NAMING || !IsBelowFolder(destination, m_announced.installFolder))
        return false;
    RECORDED_CHANGE staged = {CHANGE_STAGED, destination, std::wstring()};
    RECORDED_CHANGE aside = {replaces ? CHANGE_INSTALLED_ASIDE : CHANGE_CREATED, destination, std::wstring()};
    if (!NewReservedName(destination, &staged.backup) || (replaces && !NewReservedName(destination, &aside.backup)))
        return false;
    m_announced.changes.push_back(staged);
    m_announced.changes.push_back(aside);
    m_staged.emplace_back();
    return true;
}

bool CInstallTransaction::AnnounceStaged() {
    if (m_phase != PHASE_NAMING)
        return false;
    std::string text = FormatRecordHeader(m_announced.installFolder);
    for (const RECORDED_CHANGE& change : m_announced.changes)
        text += FormatRecordChange(change);
    if (!m_file.Append(text))
        return false;
    m_phase = PHASE_STAGING;
    FaultPoint();
    return true;
}

bool CInstallTransaction::UseReservedName(std::size_t change, const std::function<bool(const std::wstring&)>& use) {
    RECORDED_CHANGE& recorded = m_announced.changes[change];
    for (int attempt = 0; attempt < 16; ++attempt) {
        if (use(recorded.backup))
            return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return false;
        // Another's file at the name: the record stops naming it before anything else happens, so that
        // no rollback or later start ever takes it for the installer's.
        std::wstring moved;
        if (!NewReservedName(recorded.path, &moved) || !m_file.Append(FormatReservationMoved(recorded, moved)))
            return false;
        recorded.backup = moved;
    }
    return false;
}

HANDLE CInstallTransaction::CreateStagedFile(std::size_t index) {
    if ((m_phase != PHASE_STAGING && m_phase != PHASE_FLUSHED) || index >= m_staged.size() || m_staged[index])
        return nullptr;
    ScopedKernelHandle& file = m_staged[index];
    const bool created = UseReservedName(2 * index, [&file](const std::wstring& name) {
        return RetriedWhileInUse([&] {
            // Nobody else may open it while it is written; DELETE access so that it can be renamed
            // through this handle.
            file.reset(::CreateFileW(LongPathForm(name).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            return file.IsValid();
        });
    });
    if (!created)
        return nullptr;
    m_made.changes.push_back(m_announced.changes[2 * index]);
    FaultPoint();
    return file.get();
}

bool CInstallTransaction::FlushStaged() {
    if (m_phase != PHASE_STAGING && m_phase != PHASE_FLUSHED)
        return false;
    if (!std::all_of(m_staged.begin(), m_staged.end(), [](const ScopedKernelHandle& file) { return file.IsValid(); }))
        return false;
    // On the disk before the commit point can be written: a power loss after it must not leave a new
    // file without its contents once the backups are gone.
    if (!FlushFilesTogether(m_staged))
        return false;
    m_phase = PHASE_FLUSHED;
    FaultPoint();
    return true;
}

bool CInstallTransaction::BeginSwap() {
    if (m_phase != PHASE_FLUSHED || !m_file.Append(RECORD_SWAP_LINE))
        return false;
    m_phase = PHASE_SWAPPING;
    m_made.bSwapping = true;
    FaultPoint();
    return true;
}

bool CInstallTransaction::PutInPlace(std::size_t index, ScopedKernelHandle& installed) {
    if (m_phase != PHASE_SWAPPING || index >= m_staged.size() || !m_staged[index])
        return false;
    const std::size_t aside = 2 * index + 1;
    // Renames never replace and files are created new only: a name that does not stand as staged
    // fails the step instead of losing what is there.
    if (m_announced.changes[aside].kind == CHANGE_INSTALLED_ASIDE) {
        const std::wstring& path = m_announced.changes[aside].path;
        const bool kept = UseReservedName(aside, [&](const std::wstring& name) {
            // The handle goes with the first try; a name found taken is tried again by path.
            return RenameOpenFile(installed, path, name);
        });
        if (!kept)
            return false;  // nothing was kept aside: the installed file stands where it stood
        FaultPoint();
    }
    m_made.changes.push_back(m_announced.changes[aside]);
    const RECORDED_CHANGE& staged = m_announced.changes[2 * index];
    if (!RenameOpenFile(m_staged[index], staged.backup, staged.path))
        return false;
    FaultPoint();
    return true;
}

bool CInstallTransaction::Commit(std::vector<std::wstring>* left) {
    if (m_phase != PHASE_SWAPPING)
        return false;
    // Whether the commit line reached the disk is unknown when the append fails: the record then
    // stays as it is, and the next start finishes one way or the other from what it reads.
    if (!m_file.Append(RECORD_COMMIT_LINE))
        return Finish(false);
    m_made.bCommitted = true;
    FaultPoint();
    return Finish(CarryOutRecord(m_made, left));
}

bool CInstallTransaction::Rollback(std::vector<std::wstring>* left) {
    if (!IsOpen())
        return false;
    // The staged files are opened by nobody else: they can be deleted once this run lets go of them.
    m_staged.clear();
    return Finish(CarryOutRecord(m_made, left));
}

bool CInstallTransaction::Finish(bool complete) {
    m_phase = PHASE_CLOSED;
    m_staged.clear();
    if (complete && m_file.Remove())
        return true;
    m_file.Abandon();  // the next start finishes from the record
    return false;
}

}  // namespace zr
