#include "Dialog.h"

#include "WinApp.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

// The parts of an extended dialog template (DLGTEMPLATEEX) that place the controls.
struct TemplateItem {
    int x, y, width, height;
    int id;
};
struct TemplateLayout {
    int pointSize = 0;  // of the template's font; 0 when it names none
    std::vector<TemplateItem> items;
};

class TemplateReader {
  public:
    TemplateReader(const BYTE* data, DWORD size) : m_data(data), m_size(size) {}
    bool Ok() const { return m_ok; }
    WORD Word() { return static_cast<WORD>(Read(2)); }
    DWORD Dword() { return Read(4); }
    short Short() { return static_cast<short>(Word()); }
    void Skip(DWORD bytes) {
        if (m_at + bytes > m_size)
            m_ok = false;
        m_at += bytes;
    }
    void AlignToDword() { Skip((4 - m_at % 4) % 4); }
    // A text field: none (0), an ordinal (0xFFFF and a number), or a zero-terminated UTF-16 text.
    void SkipTextOrOrdinal() {
        const WORD first = Word();
        if (first == 0xFFFF)
            Word();
        else if (first != 0)
            SkipText();
    }
    void SkipText() {
        while (m_ok && Word() != 0) {
        }
    }

  private:
    DWORD Read(DWORD bytes) {
        DWORD value = 0;
        if (m_ok && m_at + bytes <= m_size)
            std::memcpy(&value, m_data + m_at, bytes);
        Skip(bytes);
        return value;
    }
    const BYTE* m_data;
    DWORD m_size;
    DWORD m_at = 0;
    bool m_ok = true;
};

bool ReadTemplateLayout(UINT templateId, TemplateLayout* layout) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    const BYTE* data = found ? static_cast<const BYTE*>(::LockResource(::LoadResource(module, found))) : nullptr;
    if (!data)
        return false;
    TemplateReader in(data, ::SizeofResource(module, found));
    if (in.Word() != 1 || in.Word() != 0xFFFF)
        return false;  // not an extended template
    in.Skip(8);        // help id, extended style
    const DWORD style = in.Dword();
    const WORD count = in.Word();
    in.Skip(8);              // place and size
    in.SkipTextOrOrdinal();  // menu
    in.SkipTextOrOrdinal();  // class
    in.SkipText();           // caption
    if (style & DS_SETFONT) {
        layout->pointSize = in.Word();
        in.Skip(4);  // weight, italic, character set
        in.SkipText();
    }
    for (WORD i = 0; i < count && in.Ok(); ++i) {
        in.AlignToDword();
        in.Skip(12);  // help id, extended style, style
        // The fields in the template's order: a braced list is read left to right.
        const TemplateItem item = {in.Short(), in.Short(), in.Short(), in.Short(), static_cast<int>(in.Dword())};
        in.SkipTextOrOrdinal();  // class
        in.SkipTextOrOrdinal();  // text
        in.Skip(in.Word());      // creation data
        layout->items.push_back(item);
    }
    return in.Ok() && layout->pointSize > 0;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control) {
    if (control.m_hWnd == nullptr)
        control.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
}

CDialog::~CDialog() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

INT_PTR CDialog::DoModal() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const INT_PTR result = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(m_nIDTemplate), nullptr, &DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData();
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData())
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

void CDialog::OnDpiChanged(UINT dpi, const RECT& suggested) {
    TakeSuggestedRect(suggested);
    LayOutTemplate(dpi);
}

void CDialog::TakeSuggestedRect(const RECT& rect) const {
    ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialog::LayOutTemplate(UINT dpi) {
    TemplateLayout layout;
    if (!ReadTemplateLayout(m_nIDTemplate, &layout))
        return false;
    // The dialog manager's font for the template, as it made it (face, weight, character set), at `dpi`.
    LOGFONTA description = {};
    HFONT current = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!current || !::GetObjectA(current, sizeof description, &description))
        return false;
    description.lfHeight = -::MulDiv(layout.pointSize, static_cast<int>(dpi), 72);
    description.lfWidth = 0;
    zr::ScopedFont font(::CreateFontIndirectA(&description));
    if (!font)
        return false;

    // The dialog units of that font, as the dialog manager reckons them: a quarter of the average
    // width of the letters, an eighth of the character height.
    TEXTMETRICA metrics = {};
    SIZE letters = {};
    {
        const zr::ScopedWindowDC dc(m_hWnd);
        HGDIOBJ before = ::SelectObject(dc.get(), font.get());
        ::GetTextMetricsA(dc.get(), &metrics);
        ::GetTextExtentPoint32A(dc.get(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
        ::SelectObject(dc.get(), before);
    }
    const int unitX = (letters.cx / 26 + 1) / 2;
    const int unitY = metrics.tmHeight;

    for (const TemplateItem& item : layout.items) {
        CWnd control = GetDlgItem(item.id);
        control.MoveWindow(::MulDiv(item.x, unitX, 4), ::MulDiv(item.y, unitY, 8), ::MulDiv(item.width, unitX, 4),
                           ::MulDiv(item.height, unitY, 8), TRUE);
        control.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // The controls hold the new font now; the one they held before may go.
    m_templateFont = std::move(font);
    return true;
}

BOOL CDialog::UpdateData() {
    CDataExchange exchange(this);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    // Messages that arrive before WM_INITDIALOG (WM_SETFONT, WM_NCCREATE ...) get default processing.
    return dialog ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return HandleInitDialog();
    if (message == WM_DPICHANGED) {
        // The new DPI in the low word (horizontal; the vertical one is the same), the suggested
        // window rectangle in lParam. The dialog lays itself out: the system's own scaling of
        // dialogs is not there on every system that sends this.
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, 0);
        return TRUE;
    }

    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) {
        if (message != WM_COMMAND)
            return FALSE;
        switch (LOWORD(wParam)) {
            case IDOK:
                OnOK();
                return TRUE;
            case IDCANCEL:
                OnCancel();
                return TRUE;
            default:
                return FALSE;
        }
    }
    // Of the messages whose result a dialog procedure returns directly (WM_CTLCOLOR*, WM_COMPAREITEM,
    // ...), the dialogs handle WM_QUERYDRAGICON alone; every other result goes through DWLP_MSGRESULT.
    if (message == WM_QUERYDRAGICON)
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

bool CDialog::HandleInitDialog() {
    RECT before;
    ::GetWindowRect(m_hWnd, &before);
    const BOOL setFocus = OnInitDialog();
    // A modal dialog whose template leaves its place to the system is centred on the work area,
    // unless its initialisation has already moved it.
    RECT after;
    ::GetWindowRect(m_hWnd, &after);
    const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    if (!(style & (WS_VISIBLE | WS_CHILD | DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE)) && after.left == before.left &&
        after.top == before.top)
        CenterWindow();
    return setFocus != FALSE;
}
