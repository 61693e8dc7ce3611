// Starts the real tool in a working folder and looks at its dialog from this, a separate, process:
// what a user would see, read through the window manager's cross-process calls.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace zr::test {

// The product executable under test (ZR_PRODUCT_EXE, set by the test registration).
std::string ProductExePath();
// The same tool built with the two test keys (ZR_KEYED_PRODUCT_EXE), as a maker's build with keys.
std::string KeyedProductExePath();

// The dialog's exit codes: a deployment tells an update from none by them.
inline constexpr DWORD CLOSED_WITHOUT_UPDATE = 1602;
inline constexpr DWORD CLOSED_AFTER_UPDATE = 0;
// Closes() expects the exit code of the run as it went: CLOSED_AFTER_UPDATE once the success message
// has been answered, CLOSED_WITHOUT_UPDATE otherwise.
inline constexpr DWORD CLOSED_AS_RUN_WENT = 0xFFFFFFFF;

// Ways a user closes the dialog.
enum class Closing { ESCAPE, EXIT_BUTTON, CLOSE_BOX, ALT_X };

class ProductProcess {
  public:
    // Copies the product to `exeName` in `workFolder` when a name is given (to start it under another
    // file name), otherwise starts it from the build folder; the working directory is `workFolder`.
    // `arguments` follow the quoted executable path on its command line; `exePath` chooses another
    // build of the tool than ProductExePath().
    explicit ProductProcess(const std::string& workFolder,
                            const std::string& exeName = "",
                            const std::string& arguments = "",
                            const std::string& exePath = "");
    ~ProductProcess();  // ends the process if it still runs
    ProductProcess(const ProductProcess&) = delete;
    ProductProcess& operator=(const ProductProcess&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }

    // The frame of every end-to-end run. Each step fails with its reason, so that
    //   ASSERT_TRUE(tool.Opens());  ...  ASSERT_TRUE(tool.Answers(text, IDYES));  ...  EXPECT_TRUE(tool.Closes());
    // stops at the test's own line.
    // The tool started and its dialog is up; Dialog() is that dialog from then on.
    ::testing::AssertionResult Opens();
    // The next message box has the executable's base name as caption and `text` as its text, and is
    // answered with `button`.
    ::testing::AssertionResult Answers(const wchar_t* text, int button);
    // The same for a message box that may say any of `texts` (where either outcome is sound); *shown
    // receives the text it said.
    ::testing::AssertionResult AnswersOneOf(const std::vector<const wchar_t*>& texts, int button, std::wstring* shown);
    // Closing the dialog the given way ends the process with `exitCode`.
    ::testing::AssertionResult Closes(Closing how = Closing::ESCAPE, DWORD exitCode = CLOSED_AS_RUN_WENT);

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
    bool m_bUpdated = false;  // the success message has been answered
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
