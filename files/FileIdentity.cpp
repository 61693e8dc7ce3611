#include "files/FileIdentity.h"

#include <windows.h>

#include "framework/ScopedHandle.h"
#include "files/LongPath.h"

namespace zr {

bool GetFileIdentity(const std::wstring& path, FILE_IDENTITY* identity) {
    // No access asked and every sharing allowed: a file held open by anyone can still be identified.
    // Folders need FILE_FLAG_BACKUP_SEMANTICS to be opened at all.
    ScopedKernelHandle file(::CreateFileW(LongPathForm(path).c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file)
        return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(file.get(), &information))
        return false;
    *identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
    return true;
}

}  // namespace zr
