#include "dialog/UpdateEvaluation.h"

#include <mbstring.h>

#include <cstring>
#include <memory>
#include <vector>

#include "install/LanguageSettings.h"
#include "install/ProductVersion.h"
#include "package/LongPath.h"
#include "package/PackageDirectory.h"
#include "package/PackageReader.h"
#include "package/PackageSignature.h"

namespace zr {

namespace {
E_UPDATE_VERDICT Judge(UPDATE_EVALUATION* e, const char* packagePath) {
    e->packageRead = ReadPackageHeaderFile(packagePath, &e->package);

    e->installationFound = LookUpInstallation(&e->paths, &e->view);
    if (!e->installationFound)
        return UPDATE_NOT_INSTALLED;
    // An interrupted update is finished first, so that the version read next is the installation's
    // true one. One that cannot be finished now leaves no installation to update: never install over it.
    e->recovery = RecoverInstallation(e->paths.szInstallFolder);
    if (e->recovery == RECOVERY_REFUSED)
        return UPDATE_INSTALLATION_DAMAGED;
    if (e->recovery != RECOVERY_NOTHING && e->recovery != RECOVERY_DONE)
        return UPDATE_INSTALLATION_BUSY;
    CProductVersion reader;
    e->installedVersionRead = reader.GetProductVersion(e->paths.szExePath, e->installedVersion);
    if (!e->installedVersionRead)
        return UPDATE_NOT_INSTALLED;
    char work[LANGUAGE_VALUE_SIZE];
    e->installedLanguage = ReadLanguageCode(e->paths.szLanguageIni, work);

    if (!e->packageRead)
        return UPDATE_PACKAGE_UNREADABLE;
    if (e->package.szVersion[0] == '\0')
        return UPDATE_PACKAGE_REFUSED;
    const int order = _mbscmp(reinterpret_cast<const unsigned char*>(e->installedVersion.GetString()),
                              reinterpret_cast<const unsigned char*>(e->package.szVersion));
    const bool sameLanguage = e->package.nLanguage == e->installedLanguage;
    if (order > 0)
        return UPDATE_NEWER_INSTALLED;
    if (order == 0)
        return sameLanguage ? UPDATE_ALREADY_CURRENT : UPDATE_LANGUAGE_MISMATCH;
    return sameLanguage ? UPDATE_APPLIES : UPDATE_LANGUAGE_MISMATCH;
}
}  // namespace

void EvaluateUpdate(const char* packagePath, UPDATE_EVALUATION* evaluation) {
    evaluation->verdict = Judge(evaluation, packagePath);
}

namespace {
bool SaysNothingToInstall(E_UPDATE_VERDICT verdict) {
    return verdict == UPDATE_ALREADY_CURRENT || verdict == UPDATE_NEWER_INSTALLED ||
           verdict == UPDATE_LANGUAGE_MISMATCH;
}

E_UPDATE_VERDICT JudgeGenuine(const char* packagePath, const PACKAGE_HEADER& evaluated, const PACKAGE_KEYS& keys) {
    CPackageReader package;
    if (!package.Open(WidenAnsi(packagePath)))
        return UPDATE_PACKAGE_UNREADABLE;
    const std::size_t headSize =
        package.Size() < MAX_DIRECTORY_END ? static_cast<std::size_t>(package.Size()) : MAX_DIRECTORY_END;
    std::vector<unsigned char> head(headSize);
    if (!package.ReadAt(0, head.data(), headSize))
        return UPDATE_PACKAGE_UNREADABLE;
    // The header believed is the one whose signature is checked: read again, through the locked handle.
    PACKAGE_HEADER read = {};
    std::memcpy(read.szVersion, head.data(), headSize < VERSION_FIELD_SIZE ? headSize : VERSION_FIELD_SIZE);
    read.nLanguage = headSize > LANGUAGE_BYTE_OFFSET ? (head[LANGUAGE_BYTE_OFFSET] & LANGUAGE_CODE_MASK) : 0;
    if (std::strcmp(read.szVersion, evaluated.szVersion) != 0 || read.nLanguage != evaluated.nLanguage)
        return UPDATE_PACKAGE_DAMAGED;

    E_BLOCK_FORM form = BLOCK_ABSENT;
    const SIGNATURE_CHECK signature =
        CheckPackageSignature([&package](std::uint64_t offset, void* buffer,
                                         std::size_t size) { return package.ReadAt(offset, buffer, size); },
                              package.Size(), keys, &form);
    if (signature.state == SIGNATURE_READ_ERROR)
        return UPDATE_PACKAGE_UNREADABLE;
    if (!SignatureAllowsInstall(signature, keys.nCount))
        return UPDATE_PACKAGE_DAMAGED;
    auto directory = std::make_unique<PACKAGE_DIRECTORY>();
    DecodePackageDirectory(head.data(), headSize, directory.get());
    return PayloadsEndAt(*directory, SignedLength(package.Size(), form)) ? UPDATE_APPLIES : UPDATE_PACKAGE_DAMAGED;
}
}  // namespace

void ConfirmNothingToInstall(const char* packagePath, UPDATE_EVALUATION* evaluation) {
    const PACKAGE_KEYS keys = CompiledPackageKeys();
    if (keys.nCount == 0 || !SaysNothingToInstall(evaluation->verdict))
        return;
    const E_UPDATE_VERDICT genuine = JudgeGenuine(packagePath, evaluation->package, keys);
    if (genuine != UPDATE_APPLIES)
        evaluation->verdict = genuine;
}

}  // namespace zr
