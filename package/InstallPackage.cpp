// Installs every entry of ./vupcab into the installation folder, all or nothing: the whole package is
// checked before the first file is written, and a failure on the way puts every file back.
#include "dialog/ZR5048VersionUpDlg.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "framework/ScopedHandle.h"
#include "package/AnsiLeadByte.h"
#include "package/InstallJournal.h"
#include "package/PackageDirectory.h"

namespace {

// Payloads pass through this much memory, whatever their size.
constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;
// Per entry: the Working file and the destination, each possibly kept aside and then created.
constexpr std::size_t CHANGES_PER_ENTRY = 4;

// Where one entry goes, as full paths, worked out before anything is written.
struct PLANNED_ENTRY {
    char szWorking[MAX_PATH];
    char szDestination[MAX_PATH];
    char szDestinationKey[MAX_PATH];  // upper-cased, to compare with other paths
    bool bInPlace;  // the Working file is the destination itself (the tool runs inside the installation)
};

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

// The file system's part of the checks: every entry can be placed, and no Working file is the
// package or an installed file that an earlier entry has just put in place.
bool PlanEntries(const PACKAGE_DIRECTORY& directory, const char* installFolder, PLANNED_ENTRY* plan) {
    char package[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(PACKAGE_FILE_NAME, MAX_PATH, package, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    char packageKey[MAX_PATH];
    MakePathKey(package, packageKey);
    for (unsigned i = 0; i < directory.nCount; ++i) {
        const PACKAGE_ENTRY& entry = directory.entries[i];
        char working[ENTRY_NAME_SIZE];
        MakeWorkingFileName(entry.szName, working);
        char destination[DESTINATION_PATH_SIZE];
        MakeDestinationPath(installFolder, entry.szName, destination);
        PLANNED_ENTRY& planned = plan[i];
        if (!ResolveFilePath(working, planned.szWorking) || !ResolveFilePath(destination, planned.szDestination))
            return false;
        char workingKey[MAX_PATH];
        MakePathKey(planned.szWorking, workingKey);
        MakePathKey(planned.szDestination, planned.szDestinationKey);
        if (std::strcmp(workingKey, packageKey) == 0 || std::strcmp(planned.szDestinationKey, packageKey) == 0)
            return false;
        for (unsigned earlier = 0; earlier < i; ++earlier) {
            if (std::strcmp(workingKey, plan[earlier].szDestinationKey) == 0)
                return false;
        }
        planned.bInPlace = std::strcmp(workingKey, planned.szDestinationKey) == 0;
    }
    return true;
}

// Writes the next `size` bytes of the package to a new file at `path`. Every read, write and the
// close are checked: a short package, a full disk or a failing close all count as failure.
bool WriteWorkingFile(std::FILE* package, std::uint32_t size, const char* path, char* buffer) {
    zr::ScopedFile file(std::fopen(path, "wb"));
    if (!file)
        return false;
    for (std::uint32_t left = size; left > 0;) {
        const std::size_t chunk = left < COPY_BUFFER_SIZE ? left : COPY_BUFFER_SIZE;
        if (std::fread(buffer, 1, chunk, package) != chunk || std::fwrite(buffer, 1, chunk, file.get()) != chunk)
            return false;
        left -= static_cast<std::uint32_t>(chunk);
    }
    return std::fclose(file.release()) == 0;
}

bool PlaceEntry(const PLANNED_ENTRY& planned,
                std::uint32_t size,
                std::FILE* package,
                char* buffer,
                CInstallJournal& journal) {
    // A file already standing under the Working file name is kept too, so a failure gives it back.
    if (!journal.MoveAside(planned.szWorking))
        return false;
    journal.NoteCreated(planned.szWorking);
    if (!WriteWorkingFile(package, size, planned.szWorking, buffer))
        return false;
    if (planned.bInPlace)
        return true;
    if (!journal.MoveAside(planned.szDestination))
        return false;
    journal.NoteCreated(planned.szDestination);
    return ::MoveFileExA(planned.szWorking, planned.szDestination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) !=
           FALSE;
}

bool Install(std::FILE* package, const char* installFolder) {
    if (installFolder[0] == '\0')
        return false;
    if (_fseeki64(package, 0, SEEK_END) != 0)
        return false;
    const long long packageSize = _ftelli64(package);
    if (packageSize < 0 || _fseeki64(package, 0, SEEK_SET) != 0)
        return false;

    std::unique_ptr<unsigned char[]> head(new (std::nothrow) unsigned char[MAX_DIRECTORY_END]);
    std::unique_ptr<PACKAGE_DIRECTORY> directory(new (std::nothrow) PACKAGE_DIRECTORY);
    std::unique_ptr<PLANNED_ENTRY[]> plan(new (std::nothrow) PLANNED_ENTRY[MAX_ENTRY_COUNT]);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BUFFER_SIZE]);
    CInstallJournal journal;
    if (!head || !directory || !plan || !buffer || !journal.Reserve(CHANGES_PER_ENTRY * MAX_ENTRY_COUNT))
        return false;

    const std::size_t headSize = std::fread(head.get(), 1, MAX_DIRECTORY_END, package);
    DecodePackageDirectory(head.get(), headSize, directory.get());
    const PACKAGE_VERDICT verdict =
        CheckPackageDirectory(*directory, static_cast<std::uint64_t>(packageSize), installFolder, &IsAnsiLeadByte);
    if (verdict.fault != PACKAGE_OK || !PlanEntries(*directory, installFolder, plan.get()))
        return false;

    if (_fseeki64(package, static_cast<long long>(PayloadOffset(directory->nCount)), SEEK_SET) != 0)
        return false;
    for (unsigned i = 0; i < directory->nCount; ++i) {
        if (!PlaceEntry(plan[i], directory->entries[i].dwSize, package, buffer.get(), journal))
            return false;  // the journal puts everything back
    }
    journal.Commit();
    return true;
}

}  // namespace

bool CZR5048VersionUpDlg::InstallPackage() {
    zr::ScopedFile package(std::fopen(PACKAGE_FILE_NAME, "rb"));
    if (!package)
        return false;
    return Install(package.get(), m_szInstallFolder);
}
