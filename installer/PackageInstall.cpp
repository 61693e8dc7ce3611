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

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
    DWORD written = 0;
    return ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

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
        if (!WriteAll(staged, buffer, chunk))
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
                        CInstallProgress& progress) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BUFFER_SIZE]);
    if (!buffer)
        return INSTALL_FAILED;
    // A failure below returns at once: the transaction, neither committed nor rolled back, rolls back
    // as it goes.
    CInstallTransaction transaction;
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
        std::string why;
        const E_INSTALL_OUTCOME verdict = SignatureOutcome(plan.signature->Verdict(), &why);
        if (verdict != INSTALL_DONE) {
            // Nothing installed was touched: only the staged files go.
            progress.OnRefused(why);
            return verdict;
        }
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
    if (transaction.Commit(&left))
        return INSTALL_DONE;
    for (const std::wstring& backup : left)
        progress.OnBackupLeft(backup);
    // Past the commit point the installation is the new one; what is left the next start removes.
    return transaction.Committed() ? INSTALL_DONE : INSTALL_FAILED;
}

}  // namespace

E_INSTALL_OUTCOME InstallPackage(const char* packagePath,
                                 const char* installFolder,
                                 const PACKAGE_HEADER* expected,
                                 CInstallProgress* progress) {
    CInstallProgress silent;
    CInstallProgress& told = progress ? *progress : silent;
    std::wstring install;
    if (installFolder[0] == '\0' || !FullFolderPath(WidenAnsi(installFolder), &install))
        return INSTALL_FAILED;
    // Opened once, for everything that is read of it: nobody can change it from here on.
    CPackageReader package;
    if (!package.Open(WidenAnsi(packagePath)))
        return INSTALL_PACKAGE_UNREADABLE;
    PACKAGE_PLAN plan;
    std::string why;
    const E_INSTALL_OUTCOME planned = PlanPackage(package, install, installFolder, expected, &plan, &why);
    if (planned != INSTALL_DONE) {
        told.OnRefused(why);
        return planned;
    }
    // Before the record or any staged file exists: a file in use changes nothing at all.
    FILES_IN_USE inUse;
    const E_INSTALL_OUTCOME taken = TakeDestinations(&plan, package.Identity(), &inUse, &why);
    if (taken == INSTALL_FILES_IN_USE)
        told.OnFilesInUse(inUse);
    else if (taken != INSTALL_DONE)
        told.OnRefused(why);
    if (taken != INSTALL_DONE)
        return taken;
    return Place(plan, package, install, told);
}

}  // namespace zr
