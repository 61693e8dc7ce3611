#include "installer/FileHolders.h"

#include <windows.h>

#include <restartmanager.h>

#include <algorithm>
#include <cwchar>

#include "framework/ScopedHandle.h"
#include "framework/SystemLibrary.h"

namespace zr {

std::vector<FILE_HOLDER> FindFileHolders(const std::vector<std::wstring>& files) {
    std::vector<FILE_HOLDER> holders;
    if (files.empty())
        return holders;
    const ScopedModule library(LoadSystemLibrary(L"rstrtmgr.dll"));
    const auto startSession = ZR_LIBRARY_FUNCTION(library.get(), RmStartSession);
    const auto registerResources = ZR_LIBRARY_FUNCTION(library.get(), RmRegisterResources);
    const auto getList = ZR_LIBRARY_FUNCTION(library.get(), RmGetList);
    const auto endSession = ZR_LIBRARY_FUNCTION(library.get(), RmEndSession);
    if (!startSession || !registerResources || !getList || !endSession)
        return holders;

    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (startSession(&session, 0, key) != ERROR_SUCCESS)
        return holders;
    std::vector<LPCWSTR> names;
    for (const std::wstring& file : files)
        names.push_back(file.c_str());
    std::vector<RM_PROCESS_INFO> list;
    if (registerResources(session, static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0, nullptr) ==
        ERROR_SUCCESS) {
        // A list that grows between two calls is asked for again, a few times, then taken as it came.
        constexpr int LIST_ATTEMPTS = 4;
        UINT needed = 0;
        UINT count = 0;
        DWORD reasons = 0;
        DWORD result = ERROR_MORE_DATA;
        for (int attempt = 0; attempt < LIST_ATTEMPTS && result == ERROR_MORE_DATA; ++attempt) {
            list.resize(needed);
            count = static_cast<UINT>(list.size());
            needed = 0;
            result = getList(session, &needed, &count, list.empty() ? nullptr : list.data(), &reasons);
        }
        list.resize(result == ERROR_SUCCESS && count <= list.size() ? count : 0);
    }
    endSession(session);

    for (const RM_PROCESS_INFO& info : list) {
        const DWORD id = info.Process.dwProcessId;
        if (std::none_of(holders.begin(), holders.end(),
                         [id](const FILE_HOLDER& seen) { return seen.nProcessId == id; }))
            holders.push_back({std::wstring(info.strAppName, wcsnlen(info.strAppName, CCH_RM_MAX_APP_NAME + 1)), id});
    }
    return holders;
}

}  // namespace zr
