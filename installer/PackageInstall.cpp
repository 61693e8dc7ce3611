#include "installer/PackageInstall.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "files/LongPath.h"
#include "installer/PackagePlan.h"
#include "installer/PackageReader.h"
#include "installer/TakeDestinations.h"
#include "journal/FaultPoint.h"
#include "journal/InstallTransaction.h"

namespace zr {

namespace {

// Payloads pass through this much memory, whatever their size; a signed package's bytes are hashed
// from the same buffer as they pass.
constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;

// Copies one entry's payload into its staged file; the signature's judge, when it waits for them,
// gets the same bytes from the same read.
bool CopyPayload(CPackageReader& package,
                 const PLANNED_ENTRY& entry,
                 HANDLE staged,
                 char* buffer,
                 CSignatureJudge* signature,
                 CInstallProgress& progress,
                 std::uint64_t* done) {
    for (std::uint32_t copied = 0; copied < entry.dwSize;) {
        const std::size_t chunk = entry.dwSize - copied < COPY_BUFFER_SIZE ? entry.dwSize - copied : COPY_BUFFER_SIZE;
        if (!package.ReadAt(entry.nPayloadOffset + copied, buffer, chunk))
            return false;
        if (signature)
            signature->Hash(buffer, chunk);
        DWORD written = 0;
        if (!::WriteFile(staged, buffer, static_cast<DWORD>(chunk), &written, nullptr) || written != chunk)
            return false;
        copied += static_cast<std::uint32_t>(chunk);
        *done += chunk;
        progress.OnBytesPlaced(*done);
        FaultPoint();
    }
    return true;
}

// Stages every payload, lets the signature's verdict decide, then swaps the installed files for the
// staged ones and commits: all or nothing, and the installation is mixed only while the renames run.
E_INSTALL_OUTCOME Place(PACKAGE_PLAN& plan,
                        CPackageReader& package,
                        const std::wstring& installFolder,
                        CInstallProgress& progress,
                        CInstallTransaction& transaction,
                        INSTALL_RESULT* result) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BUFFER_SIZE]);
    if (!buffer)
        return INSTALL_FAILED;
    if (!transaction.Begin(installFolder))
        return INSTALL_BUSY;
    for (const PLANNED_ENTRY& entry : plan.entries) {
        if (!transaction.StageEntry(entry.destination, entry.placing != PLACE_NEW))
            return INSTALL_FAILED;
    }
    if (!transaction.AnnounceStaged())
        return INSTALL_FAILED;
    progress.OnPlanned(static_cast<unsigned>(plan.entries.size()), plan.nTotalBytes);
    std::uint64_t done = 0;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const HANDLE staged = transaction.CreateStagedFile(i);
        if (!staged ||
            !CopyPayload(package, plan.entries[i], staged, buffer.get(), plan.signature.get(), progress, &done))
            return INSTALL_FAILED;
    }
    if (plan.signature) {
        // Nothing installed was touched: only the staged files go.
        const E_INSTALL_OUTCOME verdict = SignatureOutcome(plan.signature->Verdict(), &result->why);
        if (verdict != INSTALL_DONE)
            return verdict;
    }
    // Known genuine: flushed only now, so a refused package costs no flush.
    if (!transaction.FlushStaged() || !transaction.BeginSwap())
        return INSTALL_FAILED;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        if (!transaction.PutInPlace(i, plan.entries[i].installed))
            return INSTALL_FAILED;
        progress.OnEntryPlaced(plan.entries[i].szName, plan.entries[i].dwSize);
    }
    std::vector<std::wstring> left;
    transaction.Commit(&left);
    for (const std::wstring& backup : left)
        progress.OnBackupLeft(backup);
    // Past the commit point the installation is the new one; what is left the next start removes.
    return transaction.Committed() ? INSTALL_DONE : INSTALL_FAILED;
}

E_INSTALL_OUTCOME Install(const char* packagePath,
                          const char* installFolder,
                          const PACKAGE_HEADER* expected,
                          CInstallProgress& progress,
                          INSTALL_RESULT* result) {
    std::wstring install;
    if (installFolder[0] == '\0' || !FullFolderPath(WidenAnsi(installFolder), &install))
        return INSTALL_FAILED;
    // Opened once, for everything that is read of it: nobody can change it from here on.
    CPackageReader package;
    if (!package.Open(WidenAnsi(packagePath)))
        return INSTALL_PACKAGE_UNREADABLE;
    PACKAGE_PLAN plan;
    const E_INSTALL_OUTCOME planned = PlanPackage(package, install, installFolder, expected, &plan, &result->why);
    if (planned != INSTALL_DONE)
        return planned;
    // Before the record or any staged file exists: a file in use changes nothing at all.
    const E_INSTALL_OUTCOME taken = TakeDestinations(&plan, package.Identity(), &result->inUse, &result->why);
    if (taken != INSTALL_DONE)
        return taken;
    CInstallTransaction transaction;
    const E_INSTALL_OUTCOME placed = Place(plan, package, install, progress, transaction, result);
    // A run that stopped on the way is put back here, and what could not be is said.
    if (transaction.IsOpen())
        transaction.Rollback(&result->notPutBack);
    return placed;
}

}  // namespace

INSTALL_RESULT InstallPackage(const char* packagePath,
                              const char* installFolder,
                              const PACKAGE_HEADER* expected,
                              CInstallProgress* progress) {
    CInstallProgress silent;
    INSTALL_RESULT result;
    result.outcome = Install(packagePath, installFolder, expected, progress ? *progress : silent, &result);
    return result;
}

}  // namespace zr
