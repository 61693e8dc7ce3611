#include "update/LogFile.h"

#include "files/LongPath.h"

namespace zr {

namespace {

constexpr DWORD SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE;
// FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end, also when another run
// appends meanwhile.
constexpr DWORD APPENDING = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// `full` with its short (8.3) names written out, as a final path names them; as it is when that fails.
std::wstring LongNames(const std::wstring& full) {
    const DWORD size = ::GetLongPathNameW(full.c_str(), nullptr, 0);
    if (size == 0)
        return full;
    std::wstring longer(size, L'\0');
    const DWORD length = ::GetLongPathNameW(full.c_str(), &longer[0], size);
    if (length == 0 || length >= size)
        return full;
    longer.resize(length);
    return longer;
}

bool ShowsALink(DWORD attributes) {
    return attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY);
}

bool IsTheFileNamed(HANDLE file, const std::wstring& full) {
    if (::GetFileType(file) != FILE_TYPE_DISK)
        return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(file, &information) || ShowsALink(information.dwFileAttributes) ||
        information.nNumberOfLinks != 1)
        return false;
    // By name too, after the open: Wine shows a Unix symbolic link as a reparse point only by name.
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || ShowsALink(attributes))
        return false;
    std::wstring final;
    return FinalPathOf(file, &final) && SamePathText(final, LongNames(full));
}

void RemoveThroughHandle(HANDLE file) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

ScopedKernelHandle OpenLogFile(const std::wstring& path) {
    std::wstring full;
    if (!MakeFullPath(path, &full))
        return ScopedKernelHandle();
    // A link seen by name is never opened: opening through it would create its target.
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && ShowsALink(attributes))
        return ScopedKernelHandle();
    // New first, with the right to remove it again should it prove to lie elsewhere; an existing file
    // without that right, so that another program's plain file is only ever appended to.
    for (int attempt = 0; attempt < 3; ++attempt) {
        ScopedKernelHandle created(::CreateFileW(full.c_str(), APPENDING | DELETE, SHARING, nullptr, CREATE_NEW,
                                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (created) {
            if (IsTheFileNamed(created.get(), full))
                return created;
            RemoveThroughHandle(created.get());
            return ScopedKernelHandle();
        }
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return ScopedKernelHandle();
        ScopedKernelHandle existing(::CreateFileW(full.c_str(), APPENDING, SHARING, nullptr, OPEN_EXISTING,
                                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (existing)
            return IsTheFileNamed(existing.get(), full) ? std::move(existing) : ScopedKernelHandle();
        // Removed between the two opens: once more.
        if (::GetLastError() != ERROR_FILE_NOT_FOUND)
            return ScopedKernelHandle();
    }
    return ScopedKernelHandle();
}

}  // namespace zr
