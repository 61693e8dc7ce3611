#include "update/LogFile.h"

#include "framework/SystemLibrary.h"

namespace zr {

namespace {

using GetFinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using SetFileInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

constexpr DWORD SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE;
// FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end, also when another run
// appends meanwhile.
constexpr DWORD APPENDING = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return L"";
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size)
        return L"";
    full.resize(length);
    return full;
}

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

// The final path of `file` in the form GetFullPathNameW gives: \\?\C:\x as C:\x, \\?\UNC\s\x as \\s\x.
bool FinalPathOf(HANDLE file, std::wstring* final) {
    static const GetFinalPathFunction getFinalPath = KernelFunction<GetFinalPathFunction>("GetFinalPathNameByHandleW");
    if (!getFinalPath)
        return false;
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = getFinalPath(file, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    if (length >= path.size()) {
        path.assign(length + 1, L'\0');
        length = getFinalPath(file, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    }
    if (length == 0 || length >= path.size())
        return false;
    path.resize(length);
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        *final = L"\\\\" + path.substr(8);
    else if (path.compare(0, 4, L"\\\\?\\") == 0)
        *final = path.substr(4);
    else
        *final = path;
    return true;
}

bool SameIgnoringCase(std::wstring a, std::wstring b) {
    if (a.size() != b.size())
        return false;
    ::CharUpperBuffW(&a[0], static_cast<DWORD>(a.size()));
    ::CharUpperBuffW(&b[0], static_cast<DWORD>(b.size()));
    return a == b;
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
    return FinalPathOf(file, &final) && SameIgnoringCase(final, LongNames(full));
}

void RemoveThroughHandle(HANDLE file) {
    static const SetFileInformationFunction setInformation =
        KernelFunction<SetFileInformationFunction>("SetFileInformationByHandle");
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (setInformation)
        setInformation(file, FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

ScopedKernelHandle OpenLogFile(const std::wstring& path) {
    const std::wstring full = path.empty() ? L"" : FullPath(path);
    if (full.empty())
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
