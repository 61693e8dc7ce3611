#include "package/PackageInstall.h"

#include <cstring>
#include <memory>
#include <new>

#include "package/AnsiLeadByte.h"
#include "package/LongPath.h"
#include "package/PackageDirectory.h"
#include "package/PackagePlan.h"
#include "package/PackageReader.h"
#include "package/PackageSignature.h"
#include "package/PlacePackage.h"

namespace {

E_INSTALL_OUTCOME Install(zr::CPackageReader& package,
                          const std::wstring& installFolder,
                          const char* installFolderText,
                          const PACKAGE_HEADER* expected,
                          CInstallProgress* progress) {
    // Everything is had before the first file is touched, so running short of memory changes nothing.
    std::unique_ptr<unsigned char[]> head(new (std::nothrow) unsigned char[MAX_DIRECTORY_END]);
    std::unique_ptr<PACKAGE_DIRECTORY> directory(new (std::nothrow) PACKAGE_DIRECTORY);
    std::unique_ptr<PACKAGE_NAMES> names(new (std::nothrow) PACKAGE_NAMES);
    std::unique_ptr<PACKAGE_PLAN> plan(new (std::nothrow) PACKAGE_PLAN);
    if (!head || !directory || !names || !plan)
        return INSTALL_FAILED;

    const std::size_t headSize =
        package.Size() < MAX_DIRECTORY_END ? static_cast<std::size_t>(package.Size()) : MAX_DIRECTORY_END;
    if (!package.ReadAt(0, head.get(), headSize))
        return INSTALL_PACKAGE_UNREADABLE;
    if (expected) {
        // The header as the dialog read it: bytes the file lacks count as zero.
        PACKAGE_HEADER read = {};
        std::memcpy(read.szVersion, head.get(), headSize < VERSION_FIELD_SIZE ? headSize : VERSION_FIELD_SIZE);
        read.nLanguage = headSize > LANGUAGE_BYTE_OFFSET ? (head[LANGUAGE_BYTE_OFFSET] & LANGUAGE_CODE_MASK) : 0;
        if (std::strcmp(read.szVersion, expected->szVersion) != 0 || read.nLanguage != expected->nLanguage)
            return INSTALL_PACKAGE_REFUSED;
    }
    // Damaged or foreign packages are refused before anything changes; the payloads must end where the
    // signature block begins.
    zr::E_BLOCK_FORM form = zr::BLOCK_ABSENT;
    const zr::PACKAGE_KEYS keys = zr::CompiledPackageKeys();
    const zr::SIGNATURE_CHECK signature =
        zr::CheckPackageSignature([&package](std::uint64_t offset, void* buffer,
                                             std::size_t size) { return package.ReadAt(offset, buffer, size); },
                                  package.Size(), keys, &form);
    if (!zr::SignatureAllowsInstall(signature, keys.nCount))
        return signature.state == zr::SIGNATURE_READ_ERROR ? INSTALL_PACKAGE_UNREADABLE : INSTALL_PACKAGE_UNTRUSTED;

    DecodePackageDirectory(head.get(), headSize, directory.get());
    if (form != zr::BLOCK_ABSENT && !PayloadsEndAt(*directory, zr::SignedLength(package.Size(), form)))
        return INSTALL_PACKAGE_UNTRUSTED;
    const PACKAGE_VERDICT verdict = CheckPackageDirectory(*directory, zr::SignedLength(package.Size(), form),
                                                          installFolderText, &IsAnsiLeadByte, names.get());
    if (verdict.fault != PACKAGE_OK || !ResolvePackagePlan(*names, installFolder, package.Identity(), plan.get()))
        return INSTALL_PACKAGE_REFUSED;

    package.Seek(PayloadOffset(directory->nCount));
    return PlacePackage(*plan, package, installFolder, progress);
}

}  // namespace

E_INSTALL_OUTCOME InstallUpdatePackage(const char* packagePath,
                                       const char* installFolder,
                                       const PACKAGE_HEADER* expected,
                                       CInstallProgress* progress) {
    std::wstring install;
    if (installFolder[0] == '\0' || !zr::FullFolderPath(zr::WidenAnsi(installFolder), &install))
        return INSTALL_FAILED;
    // Opened once, for everything that is read of it: nobody can change it from here on.
    zr::CPackageReader package;
    if (!package.Open(zr::WidenAnsi(packagePath)))
        return INSTALL_PACKAGE_UNREADABLE;
    return Install(package, install, installFolder, expected, progress);
}

bool InstallPackageFile(const char* packagePath, const char* installFolder) {
    return InstallUpdatePackage(packagePath, installFolder, nullptr, nullptr) == INSTALL_DONE;
}
