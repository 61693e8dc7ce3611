#include "package/PlaceEntries.h"

#include <windows.h>

#include "package/FileIdentity.h"
#include "package/LongPath.h"

namespace zr {

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ResolveFile(const char* path, std::wstring* full) {
    const std::wstring wide = WidenAnsi(path);
    if (wide.empty() || !MakeFullPath(wide, full))
        return false;
    const std::wstring folder = FolderPart(*full);
    return !folder.empty() && folder.size() < full->size() && IsFolder(folder) && !IsFolder(*full);
}

// Where a path points, worked out once per path: the existing file's identity, or its folder's
// identity and its name for a file still to be created.
struct LOCATION {
    bool bExists;
    FILE_IDENTITY file;
    FILE_IDENTITY folder;
    std::wstring name;
};

bool Locate(const std::wstring& path, LOCATION* location) {
    location->bExists = GetFileIdentity(path, &location->file);
    location->name = path.substr(FolderPart(path).size());
    return GetFileIdentity(FolderPart(path), &location->folder);
}

bool IsSameLocation(const LOCATION& a, const LOCATION& b) {
    if (a.bExists || b.bExists)
        return a.bExists && b.bExists && a.file == b.file;
    return a.folder == b.folder && SamePathText(a.name, b.name);
}

}  // namespace

bool ResolvePlacement(const char* working, const char* destination, PLACEMENT* placement) {
    return ResolveFile(working, &placement->working) && ResolveFile(destination, &placement->destination);
}

bool JudgePlacements(std::vector<PLACEMENT>* placements, const std::wstring& package) {
    LOCATION packageLocation;
    if (!Locate(package, &packageLocation))
        return false;
    std::vector<LOCATION> working(placements->size()), destinations(placements->size());
    for (std::size_t i = 0; i < placements->size(); ++i) {
        PLACEMENT& placement = (*placements)[i];
        if (!Locate(placement.working, &working[i]) || !Locate(placement.destination, &destinations[i]))
            return false;
        if (IsSameLocation(working[i], packageLocation) || IsSameLocation(destinations[i], packageLocation))
            return false;
        for (std::size_t earlier = 0; earlier < i; ++earlier) {
            if (IsSameLocation(working[i], destinations[earlier]))
                return false;
        }
        placement.bInPlace = IsSameLocation(working[i], destinations[i]);
    }
    return true;
}

bool PlaceEntries(const std::vector<PLACEMENT>& placements,
                  const std::uint32_t* sizes,
                  std::FILE* package,
                  const std::wstring& installFolder,
                  char* buffer,
                  std::size_t bufferSize) {
    std::wstring workingFolder;
    if (!CurrentWorkingFolder(&workingFolder))
        return false;
    CInstallTransaction transaction;
    if (!transaction.Begin(installFolder, workingFolder))
        return false;
    for (std::size_t i = 0; i < placements.size(); ++i) {
        if (!transaction.PlaceEntry(placements[i], package, sizes[i], buffer, bufferSize)) {
            transaction.Rollback();
            return false;
        }
    }
    return transaction.Commit();
}

bool CurrentWorkingFolder(std::wstring* folder) {
    if (!MakeFullPath(L".", folder))
        return false;
    if (folder->back() != L'\\')
        *folder += L'\\';
    return true;
}

bool FullInstallFolder(const char* installFolder, std::wstring* folder) {
    const std::wstring wide = WidenAnsi(installFolder);
    return !wide.empty() && MakeFullPath(wide, folder) && folder->back() == L'\\';
}

}  // namespace zr
