// The English look, laid over the Japanese template at run time: texts are set by the startup
// evaluation; here the pixel geometry and the font. The pixel values are the design at 96 dpi; a
// window shown at another DPI gets them scaled, so that the font and the boxes grow together.
#include "dialog/ZR5048VersionUpDlg.h"

#include "framework/DisplayScale.h"
#include "framework/Font.h"
#include "res/resource.h"

#include <utility>

namespace {

struct ControlPlace {
    int id;
    int x, y, width, height;
};

// In the order the controls are moved and given the font.
const ControlPlace ENGLISH_CONTROLS[] = {
    {IDC_INSTALLED_LABEL, 16, 22, 222, 18}, {IDC_INSTALLED_VERSION, 33, 44, 66, 18},
    {IDC_UPDATE_LABEL, 16, 86, 222, 18},    {IDC_UPDATE_VERSION, 33, 107, 66, 18},
    {IDC_EXECUTE, 82, 139, 88, 21},         {IDCANCEL, 173, 139, 88, 21},
};

constexpr int ENGLISH_WIDTH = 277;
constexpr int ENGLISH_HEIGHT = 207;
// The top edge lies 86 pixels above the screen's middle line, not half the window's height.
constexpr int ENGLISH_LEFT_OF_CENTRE = 138;
constexpr int ENGLISH_ABOVE_CENTRE = 86;

}  // namespace

SIZE CZR5048VersionUpDlg::EnglishSize(UINT dpi) {
    return {zr::ScaleToDpi(ENGLISH_WIDTH, dpi), zr::ScaleToDpi(ENGLISH_HEIGHT, dpi)};
}

void CZR5048VersionUpDlg::SetEnglishLayout(UINT dpi) {
    RECT desktop;
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    const int width = desktop.right - desktop.left;
    const int height = desktop.bottom - desktop.top;
    const SIZE size = EnglishSize(dpi);
    // Neither the work area nor the screen's edges are considered: the place is never clamped.
    MoveWindow(width / 2 - zr::ScaleToDpi(ENGLISH_LEFT_OF_CENTRE, dpi),
               height / 2 - zr::ScaleToDpi(ENGLISH_ABOVE_CENTRE, dpi), size.cx, size.cy, TRUE);
    LayOutEnglishControls(dpi);
}

void CZR5048VersionUpDlg::LayOutEnglishControls(UINT dpi) {
    // Process-wide, made on first use and destroyed at process exit: the controls only borrow its
    // handle, so it must outlive the dialog. A new DPI makes a new font; the one the controls held
    // goes only once they hold the new one.
    static CFont s_fontEnglish;
    CFont font;
    // A failure leaves the object empty; the controls then draw in the system font.
    font.CreatePointFont(90, "Tahoma", dpi);
    for (const ControlPlace& place : ENGLISH_CONTROLS) {
        const CWnd control = GetDlgItem(place.id);
        control.MoveWindow(zr::ScaleToDpi(place.x, dpi), zr::ScaleToDpi(place.y, dpi), zr::ScaleToDpi(place.width, dpi),
                           zr::ScaleToDpi(place.height, dpi), TRUE);
        control.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.GetSafeHandle()), 1);
    }
    s_fontEnglish = std::move(font);
}
