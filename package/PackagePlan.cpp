#include "package/PackagePlan.h"

#include <windows.h>

#include <vector>

#include "package/FileIdentity.h"
#include "package/LongPath.h"

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(zr::LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The full path of `path`; false when it cannot be had, its folder does not exist, or a folder stands
// where the file should go.
bool ResolveFile(const char* path, std::wstring* full) {
    const std::wstring wide = zr::WidenAnsi(path);
    if (wide.empty() || !zr::MakeFullPath(wide, full))
        return false;
    const std::wstring folder = zr::FolderPart(*full);
    return !folder.empty() && folder.size() < full->size() && IsFolder(folder) && !IsFolder(*full);
}

// Where a path points, worked out once per path (255 entries take 32,000 comparisons): the existing
// file's identity, or its folder's identity and its name for a file still to be created.
struct LOCATION {
    bool bExists;
    zr::FILE_IDENTITY file;
    zr::FILE_IDENTITY folder;
    std::wstring name;
};

bool Locate(const std::wstring& path, LOCATION* location) {
    location->bExists = zr::GetFileIdentity(path, &location->file);
    location->name = path.substr(zr::FolderPart(path).size());
    return zr::GetFileIdentity(zr::FolderPart(path), &location->folder);
}

// One existing and one missing file cannot be the same: opening the missing one's name would have
// found the other if it were an alias of it.
bool IsSameLocation(const LOCATION& a, const LOCATION& b) {
    if (a.bExists || b.bExists)
        return a.bExists && b.bExists && a.file == b.file;
    return a.folder == b.folder && zr::SamePathText(a.name, b.name);
}

}  // namespace

bool ResolvePackagePlan(const PACKAGE_NAMES& names, const char* packagePath, PACKAGE_PLAN* plan) {
    plan->nCount = 0;
    std::wstring package;
    LOCATION packageLocation;
    if (!ResolveFile(packagePath, &package) || !Locate(package, &packageLocation))
        return false;
    std::vector<LOCATION> destinations(names.nCount);
    for (unsigned i = 0; i < names.nCount; ++i) {
        const NAMED_ENTRY& named = names.entries[i];
        PLANNED_ENTRY& planned = plan->entries[i];
        LOCATION working;
        if (!ResolveFile(named.szWorking, &planned.placement.working) ||
            !ResolveFile(named.szDestination, &planned.placement.destination) ||
            !Locate(planned.placement.working, &working) || !Locate(planned.placement.destination, &destinations[i]))
            return false;
        if (IsSameLocation(working, packageLocation) || IsSameLocation(destinations[i], packageLocation))
            return false;
        for (unsigned earlier = 0; earlier < i; ++earlier) {
            if (IsSameLocation(working, destinations[earlier]))
                return false;
        }
        planned.placement.bInPlace = IsSameLocation(working, destinations[i]);
        planned.dwSize = named.dwSize;
    }
    plan->nCount = names.nCount;
    return true;
}
