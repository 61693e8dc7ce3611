#include "files/LongPath.h"

#include <windows.h>

namespace zr {

namespace {

std::wstring Widen(UINT codePage, const char* text, int length) {
    if (length == 0)
        return std::wstring();
    const int needed = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, length, &wide[0], needed) != needed)
        return std::wstring();
    return wide;
}

}  // namespace

std::wstring WidenAnsi(const char* text) {
    return Widen(CP_ACP, text, static_cast<int>(std::char_traits<char>::length(text)));
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0], needed, nullptr, nullptr) != needed)
        return std::string();
    return utf8;
}

bool FromUtf8(const std::string& text, std::wstring* wide) {
    *wide = Widen(CP_UTF8, text.data(), static_cast<int>(text.size()));
    return !wide->empty() || text.empty();
}

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
    result.resize(length);
    *full = result;
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

std::wstring FolderPart(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L'\\');
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

bool SamePathText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
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
