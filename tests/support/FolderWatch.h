// A watch on a folder and everything below it, as any program of the user can keep one: directory
// change notifications (ReadDirectoryChangesW), which Wine delivers from inotify, so changes made by
// any process show. Used to prove that the tool creates, renames, deletes or writes nothing in a folder
// while it works, even where it would leave the folder as it found it.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zr::test {

class FolderWatch {
  public:
    // Called on the watching thread with each change as it arrives, in the form Changes() gives: for
    // a test that acts at a moment of the tool's work, as an attacker's program would.
    using OnChange = std::function<void(const std::string& change)>;

    // Watching from the moment the constructor returns; Watching() says whether the watch was set.
    explicit FolderWatch(const std::string& folder, OnChange onChange = nullptr);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool Watching() const { return m_armed; }

    // Ends the watch and gives every change seen, oldest first, as "added Sub\name", "removed ...",
    // "modified ...", "renamed from ...", "renamed to ...", or "lost changes" when too many came at
    // once. Changes made before the call are all in: the watch makes a file of its own in the folder
    // and ends once that one is reported (its own changes are left out).
    std::vector<std::string> Changes();

  private:
    void Watch();
    void Note(const std::wstring& name, DWORD action);

    std::string m_folder;
    OnChange m_onChange;
    HANDLE m_directory = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    HANDLE m_armedEvent = nullptr;
    HANDLE m_sentinelSeen = nullptr;
    bool m_armed = false;
    std::mutex m_lock;
    std::vector<std::string> m_changes;
    std::thread m_thread;
};

}  // namespace zr::test
