#include "tools/vupcab/DestinationFacts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <cerrno>

namespace zr {

#ifdef _WIN32
FILE_ID FileIdOf(const std::filesystem::path& path) {
    FILE_ID id;
    HANDLE file =
        ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return id;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (::GetFileInformationByHandle(file, &information)) {
        id.volume = information.dwVolumeSerialNumber;
        id.file = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
        id.known = true;
    }
    ::CloseHandle(file);
    return id;
}

DESTINATION_FACTS GatherDestinationFacts(const std::filesystem::path& installFolder,
                                         const std::filesystem::path& relative,
                                         const FILE_ID& package) {
    DESTINATION_FACTS facts;
    std::filesystem::path at = installFolder;
    for (const std::filesystem::path& folder : relative.parent_path()) {
        at /= folder;
        const DWORD attributes = ::GetFileAttributesW(at.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            const DWORD error = ::GetLastError();
            facts.bWayMissing = true;
            facts.bUnknown =
                attributes == INVALID_FILE_ATTRIBUTES && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
            return facts;
        }
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            facts.bWayLinked = true;
            return facts;
        }
    }
    const std::filesystem::path destination = installFolder / relative;
    const DWORD attributes = ::GetFileAttributesW(destination.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        facts.bUnknown = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        return facts;
    }
    facts.standing = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? STANDS_OTHER
                     : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? STANDS_FOLDER
                                                                 : STANDS_FILE;
    facts.bReadOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    const FILE_ID id = FileIdOf(destination);
    facts.bIsPackage = id.known && package.known && id.volume == package.volume && id.file == package.file;
    return facts;
}
#else
FILE_ID FileIdOf(const std::filesystem::path& path) {
    FILE_ID id;
    struct stat status;
    if (::stat(path.c_str(), &status) == 0) {
        id.volume = static_cast<std::uint64_t>(status.st_dev);
        id.file = static_cast<std::uint64_t>(status.st_ino);
        id.known = true;
    }
    return id;
}

DESTINATION_FACTS GatherDestinationFacts(const std::filesystem::path& installFolder,
                                         const std::filesystem::path& relative,
                                         const FILE_ID& package) {
    DESTINATION_FACTS facts;
    struct stat status;
    std::filesystem::path at = installFolder;
    for (const std::filesystem::path& folder : relative.parent_path()) {
        at /= folder;
        if (::lstat(at.c_str(), &status) != 0) {
            facts.bWayMissing = true;
            facts.bUnknown = errno != ENOENT && errno != ENOTDIR;
            return facts;
        }
        if (S_ISLNK(status.st_mode)) {
            facts.bWayLinked = true;
            return facts;
        }
        if (!S_ISDIR(status.st_mode)) {
            facts.bWayMissing = true;
            return facts;
        }
    }
    const std::filesystem::path destination = installFolder / relative;
    if (::lstat(destination.c_str(), &status) != 0) {
        facts.bUnknown = errno != ENOENT;
        return facts;
    }
    facts.standing = S_ISREG(status.st_mode) ? STANDS_FILE : S_ISDIR(status.st_mode) ? STANDS_FOLDER : STANDS_OTHER;
    facts.bReadOnly = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    facts.bIsPackage = package.known && static_cast<std::uint64_t>(status.st_dev) == package.volume &&
                       static_cast<std::uint64_t>(status.st_ino) == package.file;
    return facts;
}
#endif

}  // namespace zr
