#include "package/PlacePackage.h"

#include <memory>
#include <new>
#include <string>

#include "package/InstallTransaction.h"
#include "package/LongPath.h"

namespace {

// Payloads pass through this much memory, whatever their size.
constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;

}  // namespace

bool PlacePackage(const PACKAGE_PLAN& plan, std::FILE* package, const char* installFolder) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BUFFER_SIZE]);
    std::wstring install, working;
    if (!buffer || !zr::FullFolderPath(zr::WidenAnsi(installFolder), &install) || !zr::FullFolderPath(L".", &working))
        return false;
    zr::CInstallTransaction transaction;
    if (!transaction.Begin(install, working))
        return false;
    for (unsigned i = 0; i < plan.nCount; ++i) {
        if (!transaction.StageEntry(plan.entries[i].placement)) {
            transaction.Rollback();
            return false;
        }
    }
    if (!transaction.AnnounceStaged()) {
        transaction.Rollback();
        return false;
    }
    for (unsigned i = 0; i < plan.nCount; ++i) {
        if (!transaction.PlaceEntry(i, package, plan.entries[i].dwSize, buffer.get(), COPY_BUFFER_SIZE)) {
            transaction.Rollback();
            return false;
        }
    }
    return transaction.Commit();
}
