// Installs every entry of ./vupcab into the installation folder, all or nothing: the whole package is
// checked before the first file is written, and a failure on the way puts every file back.
#include "dialog/ZR5048VersionUpDlg.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "package/AnsiLeadByte.h"
#include "package/LongPath.h"
#include "package/PackageDirectory.h"
#include "package/PlaceEntries.h"

namespace {

// Payloads pass through this much memory, whatever their size.
constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;

// The file system's part of the checks: every entry can be placed, and no Working file is the
// package or an installed file that an earlier entry has just put in place.
bool ResolveEntries(const PACKAGE_DIRECTORY& directory,
                    const char* installFolder,
                    std::vector<zr::PLACEMENT>* placements,
                    std::vector<std::uint32_t>* sizes) {
    std::wstring package;
    if (!zr::MakeFullPath(zr::WidenAnsi(PACKAGE_FILE_NAME), &package))
        return false;
    placements->resize(directory.nCount);
    sizes->resize(directory.nCount);
    for (unsigned i = 0; i < directory.nCount; ++i) {
        const PACKAGE_ENTRY& entry = directory.entries[i];
        char working[ENTRY_NAME_SIZE];
        MakeWorkingFileName(entry.szName, working);
        char destination[DESTINATION_PATH_SIZE];
        if (!MakeDestinationPath(installFolder, entry.szName, destination) ||
            !zr::ResolvePlacement(working, destination, &(*placements)[i]))
            return false;
        (*sizes)[i] = entry.dwSize;
    }
    return zr::JudgePlacements(placements, package);
}

bool Install(std::FILE* package, const char* installFolder) {
    std::wstring fullInstallFolder;
    if (installFolder[0] == '\0' || !zr::FullInstallFolder(installFolder, &fullInstallFolder))
        return false;
    if (_fseeki64(package, 0, SEEK_END) != 0)
        return false;
    const long long packageSize = _ftelli64(package);
    if (packageSize < 0 || _fseeki64(package, 0, SEEK_SET) != 0)
        return false;

    std::unique_ptr<unsigned char[]> head(new (std::nothrow) unsigned char[MAX_DIRECTORY_END]);
    std::unique_ptr<PACKAGE_DIRECTORY> directory(new (std::nothrow) PACKAGE_DIRECTORY);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BUFFER_SIZE]);
    if (!head || !directory || !buffer)
        return false;

    const std::size_t headSize = std::fread(head.get(), 1, MAX_DIRECTORY_END, package);
    DecodePackageDirectory(head.get(), headSize, directory.get());
    const PACKAGE_VERDICT verdict =
        CheckPackageDirectory(*directory, static_cast<std::uint64_t>(packageSize), installFolder, &IsAnsiLeadByte);
    std::vector<zr::PLACEMENT> placements;
    std::vector<std::uint32_t> sizes;
    if (verdict.fault != PACKAGE_OK || !ResolveEntries(*directory, installFolder, &placements, &sizes))
        return false;

    if (_fseeki64(package, static_cast<long long>(PayloadOffset(directory->nCount)), SEEK_SET) != 0)
        return false;
    return zr::PlaceEntries(placements, sizes.data(), package, fullInstallFolder, buffer.get(), COPY_BUFFER_SIZE);
}

}  // namespace

bool CZR5048VersionUpDlg::InstallPackage() {
    zr::ScopedFile package(std::fopen(PACKAGE_FILE_NAME, "rb"));
    if (!package)
        return false;
    return Install(package.get(), m_szInstallFolder);
}
