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

// A dialog run modally and inspected once it is up: `inspect` is called from a message posted at its
// initialisation, then the dialog is ended (an update the /passive window started is waited for by
// its Outcome()).
template <class Dialog>
class Inspected : public Dialog {
  public:
    template <class... Arguments>
    explicit Inspected(std::function<void(Inspected&)> inspect, Arguments&&... arguments)
        : Dialog(std::forward<Arguments>(arguments)...), m_inspect(std::move(inspect)) {}
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(this->m_hWnd, message, wParam, lParam);
    }

  protected:
    BOOL OnInitDialog() override {
        const BOOL result = Dialog::OnInitDialog();
        ::PostMessageA(this->m_hWnd, WM_APP, 0, 0);
        return result;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_APP)
            return Dialog::OnMessage(message, wParam, lParam, result);
        m_inspect(*this);
        this->EndDialog(IDCANCEL);
        return true;
    }

  private:
    std::function<void(Inspected&)> m_inspect;
};

using InspectedDialog = Inspected<DialogUnderTest>;
using InspectedPassiveWindow = Inspected<CPassiveProgressDlg>;

}  // namespace zr::test
