#include "tests/support/FolderWatch.h"

#include "tests/support/ScratchFolder.h"

#include <utility>

namespace zr::test {

namespace {

constexpr wchar_t SENTINEL[] = L"zr-watch-sentinel.tmp";
constexpr DWORD FILTER = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                         FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_ATTRIBUTES;

std::string Narrow(const std::wstring& text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? length : 1, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

const char* ActionName(DWORD action) {
    switch (action) {
        case FILE_ACTION_ADDED:
            return "added ";
        case FILE_ACTION_REMOVED:
            return "removed ";
        case FILE_ACTION_MODIFIED:
            return "modified ";
        case FILE_ACTION_RENAMED_OLD_NAME:
            return "renamed from ";
        case FILE_ACTION_RENAMED_NEW_NAME:
            return "renamed to ";
        default:
            return "changed ";
    }
}

}  // namespace

FolderWatch::FolderWatch(const std::string& folder, OnChange onChange)
    : m_folder(folder), m_onChange(std::move(onChange)) {
    if (!m_folder.empty() && m_folder.back() != '\\')
        m_folder += '\\';
    m_directory =
        ::CreateFileA(m_folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_armedEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_sentinelSeen = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_directory == INVALID_HANDLE_VALUE || !m_stop || !m_armedEvent || !m_sentinelSeen)
        return;
    m_thread = std::thread([this] { Watch(); });
    // The first read is issued by the watching thread (I/O belongs to the thread that asked for it).
    ::WaitForSingleObject(m_armedEvent, 10000);
}

FolderWatch::~FolderWatch() {
    if (m_thread.joinable()) {
        ::SetEvent(m_stop);
        m_thread.join();
    }
    for (HANDLE handle : {m_stop, m_armedEvent, m_sentinelSeen}) {
        if (handle)
            ::CloseHandle(handle);
    }
    if (m_directory != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_directory);
}

void FolderWatch::Note(const std::wstring& name, DWORD action) {
    if (name == SENTINEL) {
        ::SetEvent(m_sentinelSeen);
        return;
    }
    const std::string change = ActionName(action) + Narrow(name);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_changes.push_back(change);
    }
    if (m_onChange)
        m_onChange(change);
}

void FolderWatch::Watch() {
    OVERLAPPED overlapped = {};
    overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    alignas(DWORD) static thread_local char buffer[64 * 1024];
    const auto issue = [&] {
        ::ResetEvent(overlapped.hEvent);
        return ::ReadDirectoryChangesW(m_directory, buffer, sizeof buffer, TRUE, FILTER, nullptr, &overlapped,
                                       nullptr) != FALSE;
    };
    m_armed = overlapped.hEvent && issue();
    ::SetEvent(m_armedEvent);
    while (m_armed) {
        const HANDLE events[] = {overlapped.hEvent, m_stop};
        if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0)
            break;
        DWORD bytes = 0;
        if (!::GetOverlappedResult(m_directory, &overlapped, &bytes, FALSE))
            break;
        if (bytes == 0) {
            std::lock_guard<std::mutex> hold(m_lock);
            m_changes.push_back("lost changes");
        }
        for (DWORD offset = 0; bytes > 0;) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + offset);
            Note(std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)), info->Action);
            if (info->NextEntryOffset == 0)
                break;
            offset += info->NextEntryOffset;
        }
        if (!issue())
            break;
    }
    if (overlapped.hEvent) {
        DWORD bytes = 0;
        if (::CancelIo(m_directory))
            ::GetOverlappedResult(m_directory, &overlapped, &bytes, TRUE);
        ::CloseHandle(overlapped.hEvent);
    }
}

std::vector<std::string> FolderWatch::Changes() {
    if (!m_thread.joinable())
        return {"no watch"};
    const std::string sentinel = m_folder + Narrow(SENTINEL);
    const bool made = WriteFileBytes(sentinel, "");
    const bool seen = made && ::WaitForSingleObject(m_sentinelSeen, 10000) == WAIT_OBJECT_0;
    ::SetEvent(m_stop);
    m_thread.join();
    ::DeleteFileA(sentinel.c_str());
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::string> changes = m_changes;
    if (!seen)
        changes.push_back("the watch did not see its own file");
    return changes;
}

}  // namespace zr::test
