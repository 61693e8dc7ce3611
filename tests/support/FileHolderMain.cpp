// Another program that holds a file open, as a spreadsheet or a virus scanner does: started by the
// tests beside the tool, so that the hold belongs to a process of its own, as the Restart Manager and
// the file system see it.
//   zr_file_holder read|readwrite|lock PATH EVENTS [LET_GO_AFTER_MS]
// read: open with read sharing only; readwrite: read and write sharing, no delete; lock: every
// sharing, with an exclusive byte-range lock over the whole file. It sets the event EVENTS-held once
// it holds the file and lets go when EVENTS-release is set or LET_GO_AFTER_MS have passed.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const std::string mode = argv[1];
    DWORD sharing = FILE_SHARE_READ;
    if (mode == "readwrite")
        sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    else if (mode == "lock")
        sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    else if (mode != "read")
        return 2;
    const DWORD letGoAfter = argc > 4 ? static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10)) : INFINITE;
    HANDLE held = ::CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[3]) + "-held").c_str());
    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[3]) + "-release").c_str());
    if (!held || !release)
        return 3;
    HANDLE file = ::CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 4;
    OVERLAPPED whole = {};
    if (mode == "lock" &&
        !::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
        return 5;
    ::SetEvent(held);
    ::WaitForSingleObject(release, letGoAfter);
    ::CloseHandle(file);
    return 0;
}
