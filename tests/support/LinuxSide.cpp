#include "tests/support/LinuxSide.h"

#include <windows.h>

#include <algorithm>

#include "framework/SystemLibrary.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

namespace zr::test {

namespace {

constexpr DWORD RUN_TIMEOUT_MS = 30000;

std::wstring Widen(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// Waits until `name` stands in `folder`: a change notification on the folder, armed before each look.
bool WaitForFile(const std::string& folder, const std::string& name, DWORD timeoutMs) {
    const std::string path = folder + name;
    HANDLE change = ::FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    if (change == INVALID_HANDLE_VALUE)
        return false;
    const DWORD start = ::GetTickCount();
    bool found = false;
    for (;;) {
        if (FileExists(path)) {
            found = true;
            break;
        }
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            break;
        if (::WaitForSingleObject(change, timeoutMs - elapsed) == WAIT_OBJECT_0)
            ::FindNextChangeNotification(change);
    }
    ::FindCloseChangeNotification(change);
    return found;
}

}  // namespace

std::string UnixPath(const std::string& windowsPath) {
    // Wine's own export: absent on Windows, where these tests cannot run anyway.
    static const auto toUnix =
        LibraryFunction<char*(__cdecl*)(const wchar_t*)>(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (toUnix == nullptr)
        return std::string();
    char* unix = toUnix(Widen(windowsPath).c_str());
    if (unix == nullptr)
        return std::string();
    std::string path = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

LinuxSide::LinuxSide() = default;

LinuxSide::~LinuxSide() {
    if (m_running)
        Stop();
}

::testing::AssertionResult LinuxSide::Launch(const std::vector<std::string>& arguments) {
    const std::string control = UnixPath(m_control.Path());
    if (m_control.Path().empty() || control.empty())
        return ::testing::AssertionFailure() << "no control folder for the Linux side";
    ::DeleteFileA((m_control / "ready").c_str());
    ::DeleteFileA((m_control / "done").c_str());
    ::DeleteFileA((m_control / "stop").c_str());
    std::string line = "\"" + RequiredPath("ZR_LINUX_SIDE") + "\" \"" + control + "\"";
    for (const std::string& argument : arguments)
        line += " \"" + argument + "\"";
    PROCESS_INFORMATION process = {};
    if (!StartChildProcess(nullptr, line, nullptr, &process))
        return ::testing::AssertionFailure()
               << "the Linux side did not start (error " << ::GetLastError() << "): " << line;
    // Wine gives no handles for a Linux process; close whatever comes.
    if (process.hThread)
        ::CloseHandle(process.hThread);
    if (process.hProcess)
        ::CloseHandle(process.hProcess);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LinuxSide::Finished(std::string* report) {
    if (!WaitForFile(m_control.Path(), "done", RUN_TIMEOUT_MS))
        return ::testing::AssertionFailure() << "the Linux side did not finish";
    const std::string text = ReadFileBytes(m_control / "done");
    const std::size_t end = text.find('\n');
    const std::string first = text.substr(0, end);
    if (report)
        *report = end == std::string::npos ? std::string() : text.substr(end + 1);
    if (first != "ok")
        return ::testing::AssertionFailure() << "the Linux side says " << first;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LinuxSide::Run(const std::vector<std::string>& arguments, std::string* report) {
    if (m_running)
        return ::testing::AssertionFailure() << "the Linux side is still watching";
    if (auto launched = Launch(arguments); !launched)
        return launched;
    return Finished(report);
}

::testing::AssertionResult LinuxSide::Start(const std::vector<std::string>& arguments) {
    if (m_running)
        return ::testing::AssertionFailure() << "the Linux side is still watching";
    if (auto launched = Launch(arguments); !launched)
        return launched;
    m_running = true;
    if (!WaitForFile(m_control.Path(), "ready", RUN_TIMEOUT_MS)) {
        if (FileExists(m_control / "done")) {
            m_running = false;
            return ::testing::AssertionFailure() << "the Linux side ended: " << ReadFileBytes(m_control / "done");
        }
        return ::testing::AssertionFailure() << "the Linux side never set its watches";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LinuxSide::Stop(std::string* report) {
    if (!m_running)
        return ::testing::AssertionFailure() << "the Linux side is not watching";
    m_running = false;
    if (!WriteFileBytes(m_control / "stop", "stop\n"))
        return ::testing::AssertionFailure() << "cannot tell the Linux side to stop";
    return Finished(report);
}

SymbolicLinks::~SymbolicLinks() {
    // Newest first: a link may lie below another's target.
    const std::vector<std::string> links = m_links;
    for (auto link = links.rbegin(); link != links.rend(); ++link)
        Remove(*link);
}

::testing::AssertionResult SymbolicLinks::Make(const std::string& link, const std::string& target) {
    const std::string unixLink = UnixPath(link), unixTarget = UnixPath(target);
    if (unixLink.empty() || unixTarget.empty())
        return ::testing::AssertionFailure() << "no Linux path for " << link << " or " << target;
    LinuxSide side;
    if (auto made = side.Run({"link", unixTarget, unixLink}); !made)
        return made << " (linking " << link << " to " << target << ")";
    if (std::find(m_links.begin(), m_links.end(), link) == m_links.end())
        m_links.push_back(link);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SymbolicLinks::Remove(const std::string& link) {
    const std::string unixLink = UnixPath(link);
    if (unixLink.empty())
        return ::testing::AssertionFailure() << "no Linux path for " << link;
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
    LinuxSide side;
    return side.Run({"unlink", unixLink});
}

}  // namespace zr::test
