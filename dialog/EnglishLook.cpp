// The English look, laid over the Japanese template at run time: texts are set by the startup
// evaluation; here the pixel geometry and the font. Pixel values are used as they stand at every
// resolution and DPI.
#include "dialog/ZR5048VersionUpDlg.h"

#include "framework/Font.h"
#include "res/resource.h"

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

void CZR5048VersionUpDlg::SetEnglishLayout() {
    RECT desktop;
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    const int width = desktop.right - desktop.left;
    const int height = desktop.bottom - desktop.top;
    // Neither the work area nor the screen's edges are considered: the place is never clamped.
    MoveWindow(width / 2 - ENGLISH_LEFT_OF_CENTRE, height / 2 - ENGLISH_ABOVE_CENTRE, ENGLISH_WIDTH, ENGLISH_HEIGHT,
               TRUE);
    for (const ControlPlace& place : ENGLISH_CONTROLS)
        GetDlgItem(place.id).MoveWindow(place.x, place.y, place.width, place.height, TRUE);
}

void CZR5048VersionUpDlg::SetEnglishFont() {
    // Process-wide, made on first use and destroyed at process exit: the controls only borrow its
    // handle, so it must outlive the dialog.
    static CFont s_fontEnglish;
    // A failure leaves the object empty; the controls then draw in the system font.
    s_fontEnglish.CreatePointFont(90, "Tahoma");
    for (const ControlPlace& place : ENGLISH_CONTROLS)
        GetDlgItem(place.id).SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(s_fontEnglish.GetSafeHandle()), 1);
}
