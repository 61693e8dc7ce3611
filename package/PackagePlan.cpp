#include "package/PackagePlan.h"

#include <cstring>

#include "package/AnsiLeadByte.h"
#include "package/InstallJournal.h"

namespace {

bool IsFolder(const char* path) {
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolderOrDevice(const char* path) {
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// Paths compared as the file system does, without case. Made once per path: lstrcmpiA converts both
// texts on every call, and 255 entries take 32,000 comparisons.
void MakePathKey(const char* path, char (&key)[MAX_PATH]) {
    std::strcpy(key, path);
    ::CharUpperBuffA(key, static_cast<DWORD>(std::strlen(key)));
}

// The full path of `path` in `full`; false when it does not fit or its folder does not exist, or
// when a folder stands where the file should go.
bool ResolveFilePath(const char* path, char (&full)[MAX_PATH]) {
    std::memset(full, 0, sizeof full);
    const DWORD length = ::GetFullPathNameA(path, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::size_t folderLength = FolderPartLength(full, &IsAnsiLeadByte);
    if (folderLength == 0 || folderLength + CInstallJournal::ASIDE_NAME_LENGTH >= MAX_PATH)
        return false;
    char folder[MAX_PATH] = {};
    std::memcpy(folder, full, folderLength);
    return IsFolder(folder) && !IsFolderOrDevice(full);
}

}  // namespace

bool ResolvePackagePlan(const PACKAGE_NAMES& names, const char* packagePath, PACKAGE_PLAN* plan) {
    plan->nCount = 0;
    char package[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(packagePath, MAX_PATH, package, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    char packageKey[MAX_PATH];
    MakePathKey(package, packageKey);
    for (unsigned i = 0; i < names.nCount; ++i) {
        const NAMED_ENTRY& named = names.entries[i];
        PLANNED_ENTRY& planned = plan->entries[i];
        if (!ResolveFilePath(named.szWorking, planned.szWorking) ||
            !ResolveFilePath(named.szDestination, planned.szDestination))
            return false;
        char workingKey[MAX_PATH];
        MakePathKey(planned.szWorking, workingKey);
        MakePathKey(planned.szDestination, planned.szDestinationKey);
        if (std::strcmp(workingKey, packageKey) == 0 || std::strcmp(planned.szDestinationKey, packageKey) == 0)
            return false;
        for (unsigned earlier = 0; earlier < i; ++earlier) {
            if (std::strcmp(workingKey, plan->entries[earlier].szDestinationKey) == 0)
                return false;
        }
        planned.bInPlace = std::strcmp(workingKey, planned.szDestinationKey) == 0;
        planned.dwSize = named.dwSize;
    }
    plan->nCount = names.nCount;
    return true;
}
