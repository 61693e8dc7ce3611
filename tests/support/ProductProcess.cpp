#include "tests/support/ProductProcess.h"

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "framework/ScopedHandle.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

namespace zr::test {

std::string ProductExePath() {
    return RequiredPath("ZR_PRODUCT_EXE");
}

std::string KeyedProductExePath() {
    return RequiredPath("ZR_KEYED_PRODUCT_EXE");
}

ProductProcess::ProductProcess(const std::string& workFolder,
                               const std::string& exeName,
                               const std::string& arguments,
                               const std::string& exePath) {
    std::string exe = exePath.empty() ? ProductExePath() : exePath;
    if (!exeName.empty()) {
        const std::string copy = workFolder + exeName;
        if (!::CopyFileA(exe.c_str(), copy.c_str(), FALSE))
            return;
        exe = copy;
    }
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    StartChildProcess(exe.c_str(), commandLine, workFolder.c_str(), &m_process);
}

ProductProcess::~ProductProcess() {
    if (!m_process.hProcess)
        return;
    if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_process.hProcess, 99);
        ::WaitForSingleObject(m_process.hProcess, 5000);
    }
    if (m_process.hThread)
        ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

std::vector<std::string> ProductProcess::LoadedModules() const {
    std::vector<HMODULE> modules(512);
    DWORD bytes = 0;
    if (!::EnumProcessModules(m_process.hProcess, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                              &bytes))
        return {};
    modules.resize(std::min<std::size_t>(modules.size(), bytes / sizeof(HMODULE)));
    std::vector<std::string> paths;
    for (HMODULE module : modules) {
        char path[MAX_PATH] = {};
        if (::GetModuleFileNameExA(m_process.hProcess, module, path, MAX_PATH) == 0)
            continue;
        std::string lower = path;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        paths.push_back(lower);
    }
    return paths;
}

namespace {
struct Search {
    DWORD processId;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || window == search->except || !::IsWindowVisible(window))
        return TRUE;
    if (ClassName(window) != L"#32770")
        return TRUE;
    search->found = window;
    return FALSE;
}

template <class Probe>
auto Poll(DWORD timeoutMs, Probe probe) -> decltype(probe()) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (auto result = probe())
            return result;
        if (::GetTickCount() - start > timeoutMs)
            return {};
        ::Sleep(50);
    }
}
}  // namespace

HWND ProductProcess::FindTopLevelDialog(HWND except) const {
    Search search = {m_process.dwProcessId, except, nullptr};
    ::EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProductProcess::WaitForDialog(DWORD timeoutMs) {
    if (!Started())
        return nullptr;
    m_dialog = Poll(timeoutMs, [&] { return FindTopLevelDialog(nullptr); });
    return m_dialog;
}

HWND ProductProcess::WaitForMessageBox(DWORD timeoutMs) {
    if (!Started())
        return nullptr;
    return Poll(timeoutMs, [&] { return FindTopLevelDialog(m_dialog); });
}

bool ProductProcess::WaitForExit(DWORD timeoutMs) {
    return Started() && ::WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

::testing::AssertionResult ProductProcess::Opens() {
    if (!Started())
        return ::testing::AssertionFailure() << "the tool did not start: " << ProductExePath();
    if (WaitForDialog() == nullptr)
        return ::testing::AssertionFailure() << "no dialog came up";
    return ::testing::AssertionSuccess();
}

namespace {
// A message box's text: its one static control with text.
std::wstring MessageText(HWND box) {
    std::wstring found;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"Static" && !WindowText(child).empty())
            found = WindowText(child);
    }
    return found;
}

std::string Narrow(const std::wstring& text) {
    std::string utf8(text.size() * 3 + 1, '\0');
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0],
                                             static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return utf8;
}
}  // namespace

::testing::AssertionResult ProductProcess::Answers(const wchar_t* text, int button) {
    std::wstring shown;
    return AnswersOneOf({text}, button, &shown);
}

::testing::AssertionResult ProductProcess::AnswersOneOf(const std::vector<const wchar_t*>& texts,
                                                        int button,
                                                        std::wstring* shownText) {
    std::string expected;
    for (const wchar_t* text : texts)
        expected += (expected.empty() ? "\"" : " or \"") + Narrow(text) + "\"";
    HWND box = WaitForMessageBox();
    if (box == nullptr)
        return ::testing::AssertionFailure() << "no message box came up (expected " << expected << ")";
    const std::wstring caption = WindowText(box);
    const std::wstring shown = MessageText(box);
    *shownText = shown;
    HWND answer = ::GetDlgItem(box, button);
    if (caption != L"ZR5048VersionUp")  // the executable's base name
        return ::testing::AssertionFailure() << "message box caption \"" << Narrow(caption) << "\"";
    bool known = false;
    for (const wchar_t* text : texts)
        known |= shown == text;
    if (!known)
        return ::testing::AssertionFailure() << "message box says \"" << Narrow(shown) << "\", expected " << expected;
    if (answer == nullptr)
        return ::testing::AssertionFailure() << "message box has no button " << button;
    if (button == IDYES && ::GetDlgItem(box, IDNO) == nullptr)
        return ::testing::AssertionFailure() << "a question without a No button";
    if (shown == L"Version up finished." || shown == L"バージョンアップ完了")
        m_bUpdated = true;
    ::PostMessageW(answer, BM_CLICK, 0, 0);
    for (int i = 0; i < 200 && ::IsWindow(box); ++i)
        ::Sleep(25);
    if (::IsWindow(box))
        return ::testing::AssertionFailure() << "the message box stayed after its button was pressed";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ProductProcess::Closes(Closing how, DWORD exitCode) {
    if (m_dialog == nullptr)
        return ::testing::AssertionFailure() << "no dialog to close";
    switch (how) {
        case Closing::ESCAPE:
            PressKey(m_dialog, VK_ESCAPE);
            break;
        case Closing::EXIT_BUTTON:
            ::PostMessageW(::GetDlgItem(m_dialog, IDCANCEL), BM_CLICK, 0, 0);
            break;
        case Closing::CLOSE_BOX:
            ::PostMessageW(m_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Closing::ALT_X:
            ::PostMessageW(FocusedWindow(m_dialog), WM_SYSCHAR, 'x', 1 << 29);
            break;
    }
    if (!WaitForExit())
        return ::testing::AssertionFailure() << "the tool did not end";
    if (exitCode == CLOSED_AS_RUN_WENT)
        exitCode = m_bUpdated ? CLOSED_AFTER_UPDATE : CLOSED_WITHOUT_UPDATE;
    if (ExitCode() != exitCode)
        return ::testing::AssertionFailure()
               << "the tool ended with exit code " << ExitCode() << ", expected " << exitCode;
    return ::testing::AssertionSuccess();
}

DWORD ProductProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 5000, &length);
    return text;
}

std::wstring ControlText(HWND dialog, int id) {
    return WindowText(::GetDlgItem(dialog, id));
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, sizeof name / sizeof name[0]);
    return name;
}

RECT ControlRect(HWND dialog, int id) {
    RECT rect = {};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT OuterRect(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

HWND FocusedWindow(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void PressKey(HWND dialog, UINT virtualKey) {
    HWND target = FocusedWindow(dialog);
    if (!target)
        target = dialog;
    const UINT scan = ::MapVirtualKeyW(virtualKey, 0 /* MAPVK_VK_TO_VSC */);
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
}

void SaveScreenshot(const std::string& name) {
    const std::string folder = RequiredPath("ZR_ARTIFACTS");
    HDC screen = ::GetDC(nullptr);
    const int width = ::GetDeviceCaps(screen, HORZRES);
    const int height = ::GetDeviceCaps(screen, VERTRES);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap =
        ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * height;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageSize;
    header.biSizeImage = imageSize;
    const std::string path = folder + "\\" + name + ".bmp";
    if (ScopedFile out{std::fopen(path.c_str(), "wb")}) {
        std::fwrite(&file, sizeof file, 1, out.get());
        std::fwrite(&header, sizeof header, 1, out.get());
        std::fwrite(bits, 1, imageSize, out.get());
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace zr::test
