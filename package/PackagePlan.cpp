#include "package/PackagePlan.h"

#include <windows.h>

#include <cstring>
#include <set>

#include "framework/SystemLibrary.h"
#include "framework/ScopedHandle.h"
#include "package/LongPath.h"

namespace {

using GetFinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(zr::LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder itself, not what a link there points to: a junction or symbolic link shows as one.
zr::ScopedKernelHandle OpenFolderItself(const std::wstring& folder) {
    return zr::ScopedKernelHandle(::CreateFileW(
        zr::LongPathForm(folder).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool FinalPathOf(HANDLE handle, std::wstring* final) {
    static const GetFinalPathFunction getFinalPath =
        zr::KernelFunction<GetFinalPathFunction>("GetFinalPathNameByHandleW");
    if (!getFinalPath)
        return false;
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            getFinalPath(handle, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return false;
        if (length < path.size()) {
            path.resize(length);
            if (path.empty() || path.back() != L'\\')
                path += L'\\';
            *final = zr::LongPathForm(path);
            return true;
        }
        path.assign(length + 1, L'\0');
    }
    return false;
}

}  // namespace

namespace zr {

bool FinalFolderPath(const std::wstring& folder, std::wstring* final) {
    ScopedKernelHandle handle(::CreateFileW(LongPathForm(folder).c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle && FinalPathOf(handle.get(), final);
}

bool IsPlainFolderInside(const std::wstring& folder, const std::wstring& installFinal) {
    // Without its last backslash: "link\" names what the link points to, not the link.
    std::wstring itself = folder;
    while (!itself.empty() && itself.back() == L'\\')
        itself.pop_back();
    // By name as well as by handle: Wine shows a Unix symbolic link as a reparse point only by name.
    const DWORD attributes = ::GetFileAttributesW(LongPathForm(itself).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    const ScopedKernelHandle handle = OpenFolderItself(itself);
    if (!handle)
        return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(handle.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    std::wstring final;
    return FinalPathOf(handle.get(), &final) && IsBelowFolder(final, installFinal);
}

}  // namespace zr

bool ResolvePackagePlan(const PACKAGE_NAMES& names,
                        const std::wstring& installFolder,
                        const zr::FILE_IDENTITY& package,
                        PACKAGE_PLAN* plan) {
    plan->nCount = 0;
    if (installFolder.empty() || installFolder.back() != L'\\')
        return false;
    // The installation folder may itself be reached through a link an administrator made: its final
    // path, had once, is what every folder below it must lie under.
    std::wstring installFinal;
    if (!zr::FinalFolderPath(installFolder, &installFinal))
        return false;
    std::set<std::wstring> checked;  // upper-cased folders already found plain
    for (unsigned i = 0; i < names.nCount; ++i) {
        const NAMED_ENTRY& named = names.entries[i];
        PLANNED_ENTRY& planned = plan->entries[i];
        const std::wstring wide = zr::WidenAnsi(named.szDestination);
        if (wide.empty() || !zr::MakeFullPath(wide, &planned.destination) ||
            !zr::IsBelowFolder(planned.destination, installFolder))
            return false;
        const std::wstring folder = zr::FolderPart(planned.destination);
        if (folder.size() >= planned.destination.size() || !IsFolder(folder) || IsFolder(planned.destination))
            return false;
        // Every folder on the way below the installation, from the top down.
        for (std::size_t end = installFolder.size(); end < folder.size();) {
            end = folder.find(L'\\', end) + 1;
            std::wstring key = folder.substr(0, end);
            ::CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
            if (checked.count(key))
                continue;
            if (!zr::IsPlainFolderInside(folder.substr(0, end), installFinal))
                return false;
            checked.insert(key);
        }
        zr::FILE_IDENTITY existing;
        if (zr::GetFileIdentity(planned.destination, &existing) && existing == package)
            return false;
        planned.dwSize = named.dwSize;
        std::memcpy(planned.szName, named.szName, sizeof planned.szName);
    }
    plan->nCount = names.nCount;
    return true;
}
