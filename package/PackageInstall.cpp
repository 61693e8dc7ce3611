#include "package/PackageInstall.h"

#include <cstdio>
#include <memory>
#include <new>

#include "framework/ScopedHandle.h"
#include "package/AnsiLeadByte.h"
#include "package/PackageDirectory.h"
#include "package/PackagePlan.h"
#include "package/PlacePackage.h"

namespace {

bool Install(std::FILE* package, const char* packagePath, const char* installFolder) {
    if (_fseeki64(package, 0, SEEK_END) != 0)
        return false;
    const long long packageSize = _ftelli64(package);
    if (packageSize < 0 || _fseeki64(package, 0, SEEK_SET) != 0)
        return false;

    // Everything is had before the first file is touched, so running short of memory changes nothing.
    std::unique_ptr<unsigned char[]> head(new (std::nothrow) unsigned char[MAX_DIRECTORY_END]);
    std::unique_ptr<PACKAGE_DIRECTORY> directory(new (std::nothrow) PACKAGE_DIRECTORY);
    std::unique_ptr<PACKAGE_NAMES> names(new (std::nothrow) PACKAGE_NAMES);
    std::unique_ptr<PACKAGE_PLAN> plan(new (std::nothrow) PACKAGE_PLAN);
    if (!head || !directory || !names || !plan)
        return false;

    const std::size_t headSize = std::fread(head.get(), 1, MAX_DIRECTORY_END, package);
    DecodePackageDirectory(head.get(), headSize, directory.get());
    const PACKAGE_VERDICT verdict = CheckPackageDirectory(*directory, static_cast<std::uint64_t>(packageSize),
                                                          installFolder, &IsAnsiLeadByte, names.get());
    if (verdict.fault != PACKAGE_OK || !ResolvePackagePlan(*names, packagePath, plan.get()))
        return false;

    if (_fseeki64(package, static_cast<long long>(PayloadOffset(directory->nCount)), SEEK_SET) != 0)
        return false;
    return PlacePackage(*plan, package, installFolder);
}

}  // namespace

bool InstallPackageFile(const char* packagePath, const char* installFolder) {
    if (installFolder[0] == '\0')
        return false;
    zr::ScopedFile package(std::fopen(packagePath, "rb"));
    if (!package)
        return false;
    return Install(package.get(), packagePath, installFolder);
}
