#include "update/UpdateEvaluation.h"

#include <mbstring.h>

#include <string>

#include "files/LongPath.h"
#include "installer/PackagePlan.h"
#include "installer/PackageReader.h"
#include "product/LanguageSettings.h"
#include "product/ProductVersion.h"
#include "trust/PackageSignature.h"
#include "update/Outcomes.h"

namespace zr {

namespace {
E_UPDATE_VERDICT Judge(UPDATE_EVALUATION* e, const char* packagePath) {
    e->bPackageRead = ReadPackageHeader(packagePath, &e->package);

    e->bInstallationFound = FindInstallation(&e->paths, &e->view);
    if (!e->bInstallationFound)
        return UPDATE_NOT_INSTALLED;
    // An interrupted update is finished first, so that the version read next is the installation's
    // true one. One that cannot be finished now leaves no installation to update: never install over it.
    e->recovery = RecoverInstallation(e->paths.szInstallFolder);
    if (RecoveryRow(e->recovery).verdict != UPDATE_APPLIES)
        return RecoveryRow(e->recovery).verdict;
    e->bInstalledVersionRead = GetInstalledVersion(e->paths.szExePath, e->installedVersion);
    if (!e->bInstalledVersionRead)
        return UPDATE_NOT_INSTALLED;
    char work[LANGUAGE_VALUE_SIZE];
    e->nInstalledLanguage = ReadInstalledLanguage(e->paths.szLanguageIni, work);

    if (!e->bPackageRead)
        return UPDATE_PACKAGE_UNREADABLE;
    if (e->package.szVersion[0] == '\0')
        return UPDATE_PACKAGE_REFUSED;
    const int order = _mbscmp(reinterpret_cast<const unsigned char*>(e->installedVersion.GetString()),
                              reinterpret_cast<const unsigned char*>(e->package.szVersion));
    const bool sameLanguage = e->package.nLanguage == e->nInstalledLanguage;
    if (order > 0)
        return UPDATE_NEWER_INSTALLED;
    if (order == 0)
        return sameLanguage ? UPDATE_ALREADY_CURRENT : UPDATE_LANGUAGE_MISMATCH;
    return sameLanguage ? UPDATE_APPLIES : UPDATE_LANGUAGE_MISMATCH;
}
}  // namespace

void EvaluateUpdate(const char* packagePath, UPDATE_EVALUATION* evaluation) {
    evaluation->packagePath = packagePath;
    evaluation->verdict = Judge(evaluation, packagePath);
}

namespace {
E_UPDATE_VERDICT JudgeGenuine(const char* packagePath, const PACKAGE_HEADER& evaluated) {
    CPackageReader package;
    if (!package.Open(WidenAnsi(packagePath)))
        return UPDATE_PACKAGE_UNREADABLE;
    // The installer's own judgement of the package whole, the header shown among it.
    PACKAGE_DIRECTORY directory;
    E_BLOCK_FORM form = BLOCK_ABSENT;
    std::string why;
    const E_INSTALL_OUTCOME judged = JudgePackage(package, &evaluated, &directory, &form, &why);
    return judged == INSTALL_DONE                 ? UPDATE_APPLIES
           : judged == INSTALL_PACKAGE_UNREADABLE ? UPDATE_PACKAGE_UNREADABLE
                                                  : UPDATE_PACKAGE_DAMAGED;
}
}  // namespace

void ConfirmNothingToInstall(const char* packagePath, UPDATE_EVALUATION* evaluation) {
    const E_UPDATE_VERDICT said = evaluation->verdict;
    if (CompiledPackageKeys().nCount == 0 ||
        (said != UPDATE_ALREADY_CURRENT && said != UPDATE_NEWER_INSTALLED && said != UPDATE_LANGUAGE_MISMATCH))
        return;
    const E_UPDATE_VERDICT genuine = JudgeGenuine(packagePath, evaluation->package);
    if (genuine != UPDATE_APPLIES)
        evaluation->verdict = genuine;
}

}  // namespace zr
