// Modal dialog from a resource template. A static dialog procedure attaches the C++ object at
// WM_INITDIALOG and forwards every message to it; derived dialogs dispatch in OnMessage.
#pragma once

#include "ScopedHandle.h"
#include "Wnd.h"

class CDialog;

// Context of one data exchange; the dialog attaches its control objects through it.
class CDataExchange {
  public:
    explicit CDataExchange(CDialog* dialog) : m_pDlgWnd(dialog) {}
    CDialog* m_pDlgWnd;
};

// Attaches a control object to the dialog's control with the given id (first exchange only).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control);

class CDialog : public CWnd {
  public:
    // A dialog of the template `nIDTemplate`, without an owner window.
    explicit CDialog(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}
    ~CDialog() override;

    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the dialog from its template, runs it modally and destroys it. -1 when the template
    // could not be loaded or the window not created.
    INT_PTR DoModal();

  protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // The framework's initialisation: the first data exchange. Returns true to let the dialog manager
    // set the focus.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Handles one message; returns true when it did, with the message's result in `result`. False
    // leaves the message to the dialog manager's own processing; the default handles nothing.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The window moved to a monitor of another DPI (WM_DPICHANGED, `dpi` the new one): it takes the
    // system's suggested rectangle and lays its controls out from the template again. Nothing else
    // of the dialog changes.
    virtual void OnDpiChanged(UINT dpi, const RECT& suggested);
    // Moves the window to `rect` (screen coordinates), as WM_DPICHANGED suggests it.
    void TakeSuggestedRect(const RECT& rect) const;
    // Places the controls as the dialog manager places them from the template's dialog units for a
    // window at `dpi`, and gives them the template's font at that DPI. False when the template cannot
    // be read (nothing is changed then).
    bool LayOutTemplate(UINT dpi);

    // Runs the data exchange, which attaches the control objects. Always succeeds.
    BOOL UpdateData();
    void EndDialog(int result);

  private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleInitDialog();

    UINT m_nIDTemplate;
    zr::ScopedFont m_templateFont;  // the template's font at a DPI the window changed to, once one did
};
