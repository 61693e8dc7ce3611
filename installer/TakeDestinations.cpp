#include "installer/TakeDestinations.h"

#include <windows.h>

#include <vector>

#include "files/FileInUse.h"
#include "files/LongPath.h"
#include "format/DestinationRule.h"
#include "installer/FileHolders.h"

namespace zr {

namespace {

// Opens the installed file at `destination` for renaming it aside. GENERIC_READ only to ask for a
// shared lock: a byte-range lock another program keeps is a hold too, as a spreadsheet keeps one.
// False with the last error set when it cannot be taken now.
bool TakeOne(const std::wstring& destination, ScopedKernelHandle* taken) {
    ScopedKernelHandle file(::CreateFileW(LongPathForm(destination).c_str(), GENERIC_READ | DELETE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return false;
    // The basic information alone: the whole of GetFileInformationByHandle asks for the volume's serial
    // number too, which under Wine costs about a millisecond a file.
    FILE_BASIC_INFO basic = {};
    if (!::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic) ||
        (basic.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::SetLastError(ERROR_FILE_INVALID);  // no longer the plain file the plan judged
        return false;
    }
    // Shared, and let go at once: readers are not disturbed, only another's exclusive lock shows.
    OVERLAPPED whole = {};
    if (!::LockFileEx(file.get(), LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
        const DWORD error = ::GetLastError();
        ::SetLastError(error == ERROR_IO_PENDING ? ERROR_LOCK_VIOLATION : error);
        return false;
    }
    ::UnlockFileEx(file.get(), 0, MAXDWORD, MAXDWORD, &whole);
    *taken = std::move(file);
    return true;
}

}  // namespace

E_INSTALL_OUTCOME TakeDestinations(PACKAGE_PLAN* plan,
                                   const FILE_IDENTITY& package,
                                   FILES_IN_USE* inUse,
                                   std::string* why) {
    // Only a file installed before the update: a destination named again replaces the update's own
    // file, which nobody else can hold.
    std::vector<PLANNED_ENTRY*> waiting;
    for (PLANNED_ENTRY& entry : plan->entries) {
        if (entry.placing == PLACE_OVER_INSTALLED)
            waiting.push_back(&entry);
    }
    const auto release = [plan] {
        for (PLANNED_ENTRY& entry : plan->entries)
            entry.installed.reset();
    };

    CInUsePatience patience;
    for (;;) {
        std::vector<PLANNED_ENTRY*> held;
        for (PLANNED_ENTRY* entry : waiting) {
            if (TakeOne(entry->destination, &entry->installed))
                continue;
            const DWORD error = ::GetLastError();
            // The package is held without delete sharing, so a file taken is never the package, and
            // only a file that cannot be taken needs asking whether it is (a hard link of it, say).
            FILE_IDENTITY standing;
            if (IsInUseError(error) && GetFileIdentity(entry->destination, &standing) && standing == package) {
                release();
                *why = EntryRefusal(static_cast<unsigned>(entry - plan->entries.data()), entry->szName,
                                    DestinationFaultText(DESTINATION_IS_PACKAGE));
                return INSTALL_PACKAGE_REFUSED;
            }
            if (!IsInUseError(error)) {
                release();
                *why = std::string("\"") + entry->szName + "\" cannot be opened to be replaced (error " +
                       std::to_string(error) + ")";
                return INSTALL_FAILED;
            }
            held.push_back(entry);
        }
        if (held.empty())
            return INSTALL_DONE;
        if (!patience.Pause()) {
            release();
            *inUse = FILES_IN_USE();
            std::vector<std::wstring> paths;
            for (const PLANNED_ENTRY* entry : held) {
                inUse->files.push_back(entry->szName);
                paths.push_back(entry->destination);
            }
            inUse->holders = FindFileHolders(paths);
            return INSTALL_FILES_IN_USE;
        }
        waiting = held;
    }
}

}  // namespace zr
