// Starts the real tool in a working folder and looks at its dialog from this, a separate, process:
// what a user would see, read through the window manager's cross-process calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zr::test {

// The product executable under test (ZR_PRODUCT_EXE, set by the test registration).
std::string ProductExePath();

class ProductProcess {
  public:
    // Copies the product to `exeName` in `workFolder` when a name is given (to start it under another
    // file name), otherwise starts it from the build folder; the working directory is `workFolder`.
    explicit ProductProcess(const std::string& workFolder, const std::string& exeName = "");
    ~ProductProcess();  // ends the process if it still runs
    ProductProcess(const ProductProcess&) = delete;
    ProductProcess& operator=(const ProductProcess&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }

    // The visible top-level dialog (class #32770) of the process, or null after the timeout.
    HWND WaitForDialog(DWORD timeoutMs = 20000);
    // A visible dialog other than the main one (a message box), or null after the timeout.
    HWND WaitForMessageBox(DWORD timeoutMs = 20000);

    bool WaitForExit(DWORD timeoutMs = 20000);
    DWORD ExitCode() const;
    DWORD ThreadId() const { return m_process.dwThreadId; }
    // The full paths of the modules loaded into the running process, lower case.
    std::vector<std::string> LoadedModules() const;
    HWND Dialog() const { return m_dialog; }

  private:
    HWND FindTopLevelDialog(HWND except) const;

    PROCESS_INFORMATION m_process = {};
    HWND m_dialog = nullptr;
};

// Window text read with the wide interface, so it is independent of this process's code page.
std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int id);
std::wstring ClassName(HWND window);
// A control's rectangle in its dialog's client coordinates, and a window's outer rectangle.
RECT ControlRect(HWND dialog, int id);
RECT OuterRect(HWND window);

// The control that holds the keyboard focus in the thread that owns `window`.
HWND FocusedWindow(HWND window);

// Sends a key press to whichever control has the focus, as the keyboard would.
void PressKey(HWND dialog, UINT virtualKey);

// Saves the whole screen as a BMP file (a test artifact under ZR_ARTIFACTS, when set).
void SaveScreenshot(const std::string& name);

}  // namespace zr::test
