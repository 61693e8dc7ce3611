// What the dialog makes of each way an update can end, once its thread has reported: the message
// (in the UI language), the state of Execute and Exit, the installed display, and whether the run
// counts as updated for the exit code. The real dialog runs inside this process; the outcome is
// posted to it as the update's thread posts it, and a helper thread reads and answers the message.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "dialog/InstallWorker.h"
#include "res/resource.h"
#include "tests/support/DialogUnderTest.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using namespace zr;

struct Seen {
    std::wstring message;
    bool executeEnabled = false;
    bool exitEnabled = false;
    std::wstring installedShown;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (owner == ::GetCurrentProcessId() && window != found->first && ::IsWindowVisible(window) &&
        std::wstring(name) == L"#32770") {
        found->second = window;
        return FALSE;
    }
    return TRUE;
}

// Waits for the message box beside `dialog`, keeps its text and presses its OK button.
std::wstring AnswerMessageBox(HWND dialog) {
    for (int i = 0; i < 400; ++i) {
        std::pair<HWND, HWND> search(dialog, nullptr);
        ::EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
        if (HWND box = search.second) {
            std::wstring text;
            for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                wchar_t buffer[512] = {}, name[16] = {};
                ::GetClassNameW(child, name, 16);
                ::GetWindowTextW(child, buffer, 512);
                if (std::wstring(name) == L"Static" && buffer[0])
                    text = buffer;
            }
            // OK, or Cancel where the box asks Retry or Cancel.
            HWND button = ::GetDlgItem(box, IDOK);
            ::PostMessageW(button ? button : ::GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
            return text;
        }
        ::Sleep(25);
    }
    return L"(no message box)";
}

class OutcomeDialog : public zr::test::DialogUnderTest {
  public:
    OutcomeDialog(E_INSTALL_OUTCOME outcome, Seen* seen) : m_seen(seen) { m_result.outcome = outcome; }

  protected:
    static constexpr UINT INSPECT = WM_APP + 0x60;
    BOOL OnInitDialog() override {
        const BOOL result = CZR5048VersionUpDlg::OnInitDialog();
        // As after a confirmed Execute: the buttons are disabled while the thread runs.
        m_btnExecute.EnableWindow(FALSE);
        GetDlgItem(IDCANCEL).EnableWindow(FALSE);
        ::PostMessageA(m_hWnd, zr::WM_ZR_INSTALL_ENDED, 0, reinterpret_cast<LPARAM>(&m_result));
        // Looked at once the message has been answered: posted after the answer, so it comes after it.
        m_answerer = std::thread([this, dialog = m_hWnd] {
            m_seen->message = AnswerMessageBox(dialog);
            ::PostMessageA(dialog, INSPECT, 0, 0);
        });
        return result;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != INSPECT)
            return CZR5048VersionUpDlg::OnMessage(message, wParam, lParam, result);
        m_answerer.join();
        m_seen->executeEnabled = ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDC_EXECUTE)) != FALSE;
        m_seen->exitEnabled = ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDCANCEL)) != FALSE;
        wchar_t shown[64] = {};
        ::GetWindowTextW(::GetDlgItem(m_hWnd, IDC_INSTALLED_VERSION), shown, 64);
        m_seen->installedShown = shown;
        EndDialog(IDCANCEL);
        return true;
    }

  private:
    INSTALL_RESULT m_result;
    Seen* m_seen;
    std::thread m_answerer;
};

struct OutcomeCase {
    E_INSTALL_OUTCOME outcome;
    const wchar_t* english;
    const wchar_t* japanese;
    bool updated;
};

TEST(InstallOutcome, EachEndOfTheUpdateShowsItsMessageAndLeavesTheDialogUsable) {
    zr::test::ScratchFolder work(/*enter=*/true);
    const bool japanese = zr::test::RunsUnderJapaneseLocale();
    const OutcomeCase cases[] = {
        {INSTALL_DONE, L"Version up finished.", L"バージョンアップ完了", true},
        {INSTALL_PACKAGE_UNTRUSTED, L"The update package is damaged or is not from the maker.",
         L"バージョンアップファイルが破損しているか、正規の提供元のものではありません。", false},
        {INSTALL_PACKAGE_UNREADABLE, L"Version up failure.", L"バージョンアップ失敗", false},
        {INSTALL_PACKAGE_REFUSED, L"Version up failure.", L"バージョンアップ失敗", false},
        {INSTALL_BUSY, L"Version up failure.", L"バージョンアップ失敗", false},
        {INSTALL_FAILED, L"Version up failure.", L"バージョンアップ失敗", false},
        // Cancelled: nothing changed, Execute is there for another try.
        {INSTALL_FILES_IN_USE, L"These files are used by another program. \nPlease close it and re-try this.\n",
         L"次のファイルを他のプログラムが使用中です。\nそのプログラムを終了してから再試行してください。\n", false},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(c.outcome);
        Seen seen;
        OutcomeDialog dialog(c.outcome, &seen);
        dialog.DoModal();
        EXPECT_EQ(seen.message, japanese ? c.japanese : c.english);
        EXPECT_TRUE(seen.exitEnabled);
        // After a success there is nothing more to install; after a failure the user may try again.
        EXPECT_EQ(seen.executeEnabled, !c.updated);
        EXPECT_EQ(dialog.Updated(), c.updated);
        if (c.updated) {
            EXPECT_EQ(seen.installedShown.substr(0, 1), L"(") << "the package's Displayed version: none was read";
        }
    }
}

}  // namespace
