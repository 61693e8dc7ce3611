#include "tests/support/ProductProcess.h"

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zr::test {

std::string ProductExePath() {
    const char* path = std::getenv("ZR_PRODUCT_EXE");
    return path ? path : "";
}

ProductProcess::ProductProcess(const std::string& workFolder, const std::string& exeName) {
    std::string exe = ProductExePath();
    if (!exeName.empty()) {
        const std::string copy = workFolder + exeName;
        if (!::CopyFileA(exe.c_str(), copy.c_str(), FALSE))
            return;
        exe = copy;
    }
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, workFolder.c_str(),
                          &startup, &m_process))
        m_process = {};
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
    const char* folder = std::getenv("ZR_ARTIFACTS");
    if (!folder || !*folder)
        return;
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
    const std::string path = std::string(folder) + "\\" + name + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(bits, 1, imageSize, out);
        std::fclose(out);
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace zr::test
