#include "package/PackagePlan.h"

#include <windows.h>

#include <cstring>
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

// Where a path points: its folder's identity (worked out once per folder text: 255 entries share a
// few folders) and its name. Two paths name one file when their folders are one and their names are
// equal, or name one existing file (an 8.3 alias of the name). Hard links, which give one file names
// in two folders, are not looked for.
struct LOCATION {
    std::wstring path;
    zr::FILE_IDENTITY folder;
    std::wstring name;
};

class CLocator {
  public:
    bool Locate(const std::wstring& path, LOCATION* location) {
        const std::wstring folder = zr::FolderPart(path);
        location->path = path;
        location->name = path.substr(folder.size());
        for (const auto& known : m_folders) {
            if (zr::SamePathText(known.first, folder)) {
                location->folder = known.second;
                return true;
            }
        }
        if (!zr::GetFileIdentity(folder, &location->folder))
            return false;
        m_folders.emplace_back(folder, location->folder);
        return true;
    }

  private:
    std::vector<std::pair<std::wstring, zr::FILE_IDENTITY>> m_folders;
};

bool IsSameLocation(const LOCATION& a, const LOCATION& b) {
    if (!(a.folder == b.folder))
        return false;
    if (zr::SamePathText(a.name, b.name))
        return true;
    zr::FILE_IDENTITY fileA, fileB;
    return zr::GetFileIdentity(a.path, &fileA) && zr::GetFileIdentity(b.path, &fileB) && fileA == fileB;
}

}  // namespace

bool ResolvePackagePlan(const PACKAGE_NAMES& names, const char* packagePath, PACKAGE_PLAN* plan) {
    plan->nCount = 0;
    CLocator locator;
    std::wstring package;
    LOCATION packageLocation;
    if (!ResolveFile(packagePath, &package) || !locator.Locate(package, &packageLocation))
        return false;
    std::vector<LOCATION> destinations(names.nCount);
    for (unsigned i = 0; i < names.nCount; ++i) {
        const NAMED_ENTRY& named = names.entries[i];
        PLANNED_ENTRY& planned = plan->entries[i];
        LOCATION working;
        if (!ResolveFile(named.szWorking, &planned.placement.working) ||
            !ResolveFile(named.szDestination, &planned.placement.destination) ||
            !locator.Locate(planned.placement.working, &working) ||
            !locator.Locate(planned.placement.destination, &destinations[i]))
            return false;
        if (IsSameLocation(working, packageLocation) || IsSameLocation(destinations[i], packageLocation))
            return false;
        for (unsigned earlier = 0; earlier < i; ++earlier) {
            if (IsSameLocation(working, destinations[earlier]))
                return false;
        }
        planned.placement.bInPlace = IsSameLocation(working, destinations[i]);
        planned.dwSize = named.dwSize;
        std::memcpy(planned.szName, named.szName, sizeof planned.szName);
    }
    plan->nCount = names.nCount;
    return true;
}
