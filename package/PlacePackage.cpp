#include "package/PlacePackage.h"

#include <memory>
#include <new>

#include "package/InstallTransaction.h"

namespace {

// Payloads pass through this much memory, whatever their size.
constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;

}  // namespace

E_INSTALL_OUTCOME PlacePackage(const PACKAGE_PLAN& plan,
                               zr::CPackageReader& package,
                               const std::wstring& installFolder,
                               CInstallProgress* progress) {
    CInstallProgress silent;
    if (!progress)
        progress = &silent;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BUFFER_SIZE]);
    if (!buffer)
        return INSTALL_FAILED;
    zr::CInstallTransaction transaction;
    if (!transaction.Begin(installFolder))
        return INSTALL_BUSY;
    std::uint64_t total = 0;
    for (unsigned i = 0; i < plan.nCount; ++i) {
        total += plan.entries[i].dwSize;
        if (!transaction.StageEntry(plan.entries[i].destination)) {
            transaction.Rollback();
            return INSTALL_FAILED;
        }
    }
    if (!transaction.AnnounceStaged()) {
        transaction.Rollback();
        return INSTALL_FAILED;
    }
    progress->OnPlanned(plan.nCount, total);
    std::uint64_t done = 0;
    for (unsigned i = 0; i < plan.nCount; ++i) {
        if (!transaction.PlaceEntry(i, package, plan.entries[i].dwSize, buffer.get(), COPY_BUFFER_SIZE, progress,
                                    &done)) {
            transaction.Rollback();
            return INSTALL_FAILED;
        }
        progress->OnEntryPlaced(plan.entries[i].szName, plan.entries[i].dwSize);
    }
    return transaction.Commit() ? INSTALL_DONE : INSTALL_FAILED;
}
