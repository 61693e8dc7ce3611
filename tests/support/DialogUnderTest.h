// The dialogs with their state opened to the tests, so that what they show and how they end can be
// checked on real windows inside the test process; and both run modally, inspected once they are up.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "dialog/PassiveProgressDlg.h"
#include "dialog/ZR5048VersionUpDlg.h"

namespace zr::test {

class DialogUnderTest : public CZR5048VersionUpDlg {
  public:
    using CZR5048VersionUpDlg::m_bEnglish;
    using CZR5048VersionUpDlg::m_evaluation;
    using CZR5048VersionUpDlg::m_hIcon;
    using CZR5048VersionUpDlg::m_nDpi;
};

// The dialog run modally: `inspect` is called once it is up (a message posted at its initialisation),
// then the dialog is closed.
class InspectedDialog : public DialogUnderTest {
  public:
    explicit InspectedDialog(std::function<void(InspectedDialog&)> inspect) : m_inspect(std::move(inspect)) {}
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

  protected:
    BOOL OnInitDialog() override {
        const BOOL result = CZR5048VersionUpDlg::OnInitDialog();
        ::PostMessageA(m_hWnd, WM_APP, 0, 0);
        return result;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_APP)
            return CZR5048VersionUpDlg::OnMessage(message, wParam, lParam, result);
        m_inspect(*this);
        EndDialog(IDCANCEL);
        return true;
    }

  private:
    std::function<void(InspectedDialog&)> m_inspect;
};

// The /passive window, inspected the same way once it is up; it closes itself when its update has
// ended (Outcome() after DoModal waits for it).
class InspectedPassiveWindow : public CPassiveProgressDlg {
  public:
    InspectedPassiveWindow(const UPDATE_EVALUATION& evaluation,
                           bool english,
                           std::function<void(InspectedPassiveWindow&)> inspect)
        : CPassiveProgressDlg(evaluation, english, nullptr), m_inspect(std::move(inspect)) {}
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

  protected:
    BOOL OnInitDialog() override {
        const BOOL result = CPassiveProgressDlg::OnInitDialog();
        ::PostMessageA(m_hWnd, WM_APP, 0, 0);
        return result;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_APP)
            return CPassiveProgressDlg::OnMessage(message, wParam, lParam, result);
        m_inspect(*this);
        return true;
    }

  private:
    std::function<void(InspectedPassiveWindow&)> m_inspect;
};

}  // namespace zr::test
