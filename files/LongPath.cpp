#include "files/LongPath.h"

namespace zr {

bool MakeFullPath(const std::wstring& path, std::wstring* full) {
    if (path.empty())
        return false;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return false;
    std::wstring result(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, &result[0], nullptr);
    if (length == 0 || length >= needed)
        return false;
    full->assign(result, 0, length);
    return true;
}

bool FullFolderPath(const std::wstring& folder, std::wstring* full) {
    if (!MakeFullPath(folder, full))
        return false;
    if (full->back() != L'\\')
        *full += L'\\';
    return true;
}

std::wstring LongPathForm(const std::wstring& full) {
    if (full.compare(0, 4, L"\\\\?\\") == 0)
        return full;
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool FinalPathOf(HANDLE handle, std::wstring* final) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    if (length >= path.size()) {
        path.assign(length + 1, L'\0');
        length = ::GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
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

std::wstring FolderPart(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L'\\');
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

bool SamePathText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring PathKey(const std::wstring& path) {
    std::wstring key = path;
    if (!key.empty())
        ::CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

bool IsBelowFolder(const std::wstring& path, const std::wstring& folder) {
    if (folder.empty() || folder.back() != L'\\' || path.size() <= folder.size())
        return false;
    return SamePathText(path.substr(0, folder.size()), folder);
}

bool IsMissingFileError(unsigned long error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace zr
