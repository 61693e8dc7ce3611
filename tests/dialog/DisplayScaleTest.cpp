// The dialog and the /passive window at the DPI the registration gives the prefix: 96 in the usual
// runs, 120, 144, 168 and 192 in the runs at other display scales (scripts/at-dpi). The English look
// is its 96-dpi design scaled, the template's looks are its dialog units in its font at that DPI, and
// no text is cut. A move to a monitor of another DPI is WM_DPICHANGED sent as the system sends it
// (Wine sends none when a window moves): the window takes the suggested rectangle and lays itself out
// for the new DPI, and nothing else changes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "format/PackageFormat.h"
#include "res/resource.h"
#include "tests/support/DialogTemplate.h"
#include "tests/support/DialogUnderTest.h"
#include "tests/support/Geometry.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using zr::test::Box;
using zr::test::BoxOf;
using ScaledEnglishLook = zr::test::EnglishLocaleTest;
using ScaledJapaneseLook = zr::test::JapaneseLocaleTest;

UINT RunDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

// The DPI of the other monitor a window is moved to.
UINT OtherDpi(UINT dpi) {
    return dpi == 192 ? 120 : 192;
}

const struct {
    int id;
    Box design;  // at 96 dpi
} ENGLISH_DESIGN[] = {
    {IDC_INSTALLED_LABEL, {16, 22, 222, 18}}, {IDC_INSTALLED_VERSION, {33, 44, 66, 18}},
    {IDC_UPDATE_LABEL, {16, 86, 222, 18}},    {IDC_UPDATE_VERSION, {33, 107, 66, 18}},
    {IDC_EXECUTE, {82, 139, 88, 21}},         {IDCANCEL, {173, 139, 88, 21}},
};

const std::vector<int> MAIN_CONTROLS = {IDC_INSTALLED_LABEL, IDC_INSTALLED_VERSION, IDC_UPDATE_LABEL,
                                        IDC_UPDATE_VERSION,  IDC_EXECUTE,           IDCANCEL};
const std::vector<int> PASSIVE_CONTROLS = {IDC_PASSIVE_INSTALLED_LABEL, IDC_PASSIVE_INSTALLED_VERSION,
                                           IDC_PASSIVE_UPDATE_LABEL,    IDC_PASSIVE_UPDATE_VERSION,
                                           IDC_PASSIVE_STATUS,          IDC_PASSIVE_PROGRESS};

// `actual` is `x, y, width, height` (given at 96 dpi) scaled to `dpi`, within one pixel each.
::testing::AssertionResult WithinOnePixel(const Box& actual,
                                          double x,
                                          double y,
                                          double width,
                                          double height,
                                          UINT dpi) {
    const double f = dpi / 96.0;
    const double expected[] = {x * f, y * f, width * f, height * f};
    const int got[] = {actual.x, actual.y, actual.width, actual.height};
    for (int i = 0; i < 4; ++i) {
        if (std::fabs(got[i] - expected[i]) > 1.0)
            return ::testing::AssertionFailure() << actual << " is not " << expected[0] << ", " << expected[1] << ", "
                                                 << expected[2] << " x " << expected[3] << " within one pixel";
    }
    return ::testing::AssertionSuccess();
}

LOGFONTW ControlFont(HWND dialog, int id) {
    LOGFONTW font = {};
    HFONT handle = reinterpret_cast<HFONT>(::SendMessageW(::GetDlgItem(dialog, id), WM_GETFONT, 0, 0));
    ::GetObjectW(handle, sizeof font, &font);
    return font;
}

// The control's text as the control draws it (a mnemonic's & not shown), measured with the control's
// own font, fits its client rectangle; a push button's also leaves room for its 3-D edges.
::testing::AssertionResult TextFits(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    const std::wstring text = zr::test::WindowText(control);
    HDC dc = ::GetDC(control);
    HGDIOBJ before = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT needed = {};
    ::DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(dc, before);
    ::ReleaseDC(control, dc);
    RECT client;
    ::GetClientRect(control, &client);
    const int edges = zr::test::ClassName(control) == L"Button" ? 2 * ::GetSystemMetrics(SM_CXEDGE) : 0;
    if (needed.right + edges <= client.right && needed.bottom <= client.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the text needs " << needed.right << " x " << needed.bottom << " (and "
                                         << edges << " for edges) in " << client.right << " x " << client.bottom;
}

// Every control shows its whole text and lies inside the window's client area.
void ExpectNothingCut(HWND dialog, const std::vector<int>& ids) {
    RECT client;
    ::GetClientRect(dialog, &client);
    for (int id : ids) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(TextFits(dialog, id));
        const RECT place = zr::test::ControlRect(dialog, id);
        EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right && place.bottom <= client.bottom)
            << BoxOf(place) << " outside the client area " << BoxOf(client);
    }
}

void ExpectEnglishLookAt(HWND dialog, UINT dpi) {
    for (const auto& control : ENGLISH_DESIGN) {
        SCOPED_TRACE(control.id);
        const Box& d = control.design;
        EXPECT_TRUE(WithinOnePixel(BoxOf(zr::test::ControlRect(dialog, control.id)), d.x, d.y, d.width, d.height, dpi));
        const LOGFONTW font = ControlFont(dialog, control.id);
        EXPECT_STREQ(font.lfFaceName, L"Tahoma");
        EXPECT_EQ(font.lfHeight, -static_cast<int>(dpi * 90 / 720));  // 9 points at that DPI
    }
    ExpectNothingCut(dialog, MAIN_CONTROLS);
}

// A window from a template, as the dialog manager made it at `dpi`: the template's dialog units in
// the window's own font, which is the template's at 9 points; and nothing cut.
void ExpectTemplateLookAt(HWND dialog, int templateId, const std::vector<int>& ids, UINT dpi) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    zr::test::DialogTemplate layout;
    ASSERT_TRUE(zr::test::LoadDialogTemplate(self, templateId, 0x0411, &layout));
    for (const zr::test::DialogItemTemplate& item : layout.items) {
        SCOPED_TRACE(item.id);
        RECT place = {item.x, item.y, 0, 0};
        RECT size = {0, 0, item.cx, item.cy};
        ::MapDialogRect(dialog, &place);
        ::MapDialogRect(dialog, &size);
        EXPECT_EQ(BoxOf(zr::test::ControlRect(dialog, static_cast<int>(item.id))),
                  (Box{place.left, place.top, size.right, size.bottom}));
        EXPECT_EQ(ControlFont(dialog, static_cast<int>(item.id)).lfHeight, -::MulDiv(layout.pointSize, dpi, 72));
    }
    ExpectNothingCut(dialog, ids);
}

// The screen with the window on it, at the two scales looked at (a test artifact).
void SaveScreenshotAt(HWND window, UINT dpi, const std::string& what) {
    if (dpi != 144 && dpi != 192)
        return;
    // The dialog manager shows a modal window only once its queue is empty; this runs before.
    ::ShowWindow(window, SW_SHOWNA);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    zr::test::SaveScreenshot("display-scale-" + std::to_string(dpi) + "-" + what +
                             (zr::test::RunsUnderJapaneseLocale() ? "-japanese" : "-english"));
}

RECT SuggestedRect(int width, int height) {
    return {40, 30, 40 + width, 30 + height};
}

LRESULT SendDpiChanged(HWND window, UINT dpi, const RECT& suggested) {
    RECT copy = suggested;
    return ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&copy));
}

int IconWidth(HICON icon) {
    ICONINFO info = {};
    if (!::GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap = {};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// What a move to another monitor must leave alone: the versions shown and the state of Execute.
std::tuple<std::wstring, std::wstring, bool> StateOf(HWND dialog) {
    return {zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), zr::test::ControlText(dialog, IDC_UPDATE_VERSION),
            ::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)) != FALSE};
}

// The dialog beside a package of 1.05 over an installation of 1.04, both in the run's language.
class DialogBesideAnUpdate {
  public:
    DialogBesideAnUpdate() : m_installed("1.4.0.0", Code()) {
        m_ready = m_installed.Ok() &&
                  zr::test::WriteFileBytes(m_work / zr::PACKAGE_FILE_NAME, zr::test::SamplePackage("1.05", Code()));
    }
    bool Ready() const { return m_ready; }
    // Takes the package away: an evaluation made after this would find none.
    bool RemovePackage() const { return ::DeleteFileA((m_work / zr::PACKAGE_FILE_NAME).c_str()) != FALSE; }
    static int Code() { return zr::test::RunsUnderJapaneseLocale() ? 0 : 1; }
    static const wchar_t* Name() { return zr::test::RunsUnderJapaneseLocale() ? L"JA" : L"EN"; }

  private:
    zr::test::ScratchFolder m_work{/*enter=*/true};
    zr::test::ImitationInstallation m_installed;
    bool m_ready = false;
};

// The test program carries the tool's manifest: the system reads its DPI awareness from there.
TEST(ScaledProcess, IsPerMonitorAwareAsTheManifestSays) {
    EXPECT_EQ(::GetAwarenessFromDpiAwarenessContext(::GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);
}

TEST_F(ScaledEnglishLook, IsTheDesignScaledToTheDpiWithNothingCut) {
    const UINT dpi = RunDpi();
    DialogBesideAnUpdate beside;
    ASSERT_TRUE(beside.Ready());
    bool inspected = false;
    zr::test::InspectedDialog dialog([&](zr::test::InspectedDialog& d) {
        inspected = true;
        ASSERT_TRUE(d.m_bEnglish);
        EXPECT_EQ(d.m_nDpi, dpi);
        EXPECT_EQ(zr::test::ControlText(d.m_hWnd, IDC_INSTALLED_VERSION), L"1.04(EN)");
        EXPECT_EQ(zr::test::ControlText(d.m_hWnd, IDC_UPDATE_VERSION), L"1.05(EN)");
        RECT desktop;
        ::GetWindowRect(::GetDesktopWindow(), &desktop);
        const int width = desktop.right - desktop.left;
        const int height = desktop.bottom - desktop.top;
        // The offsets from the screen's middle scale with the window; the halvings drop the remainder.
        EXPECT_TRUE(WithinOnePixel(BoxOf(zr::test::OuterRect(d.m_hWnd)), width / 2 * 96.0 / dpi - 138,
                                   height / 2 * 96.0 / dpi - 86, 277, 207, dpi));
        ExpectEnglishLookAt(d.m_hWnd, dpi);
        EXPECT_EQ(IconWidth(d.m_hIcon), ::GetSystemMetrics(SM_CXICON));
        SaveScreenshotAt(d.m_hWnd, dpi, "dialog");
    });
    dialog.DoModal();
    EXPECT_TRUE(inspected);
}

TEST_F(ScaledJapaneseLook, IsTheTemplateAtTheDpiWithNothingCut) {
    const UINT dpi = RunDpi();
    DialogBesideAnUpdate beside;
    ASSERT_TRUE(beside.Ready());
    bool inspected = false;
    zr::test::InspectedDialog dialog([&](zr::test::InspectedDialog& d) {
        inspected = true;
        ASSERT_FALSE(d.m_bEnglish);
        EXPECT_EQ(zr::test::ControlText(d.m_hWnd, IDC_UPDATE_VERSION), L"1.05(JA)");
        ExpectTemplateLookAt(d.m_hWnd, IDD_ZR5048VERSIONUP_DIALOG, MAIN_CONTROLS, dpi);
        SaveScreenshotAt(d.m_hWnd, dpi, "dialog");
    });
    dialog.DoModal();
    EXPECT_TRUE(inspected);
}

// The place of every control and its font's height, to compare after a way there and back.
struct Look {
    std::vector<Box> boxes;
    std::vector<LONG> fontHeights;
    bool operator==(const Look& o) const { return boxes == o.boxes && fontHeights == o.fontHeights; }
};

Look LookOf(HWND dialog, const std::vector<int>& ids) {
    Look look;
    for (int id : ids) {
        look.boxes.push_back(BoxOf(zr::test::ControlRect(dialog, id)));
        look.fontHeights.push_back(ControlFont(dialog, id).lfHeight);
    }
    return look;
}

// A template's window moved to a monitor of `moved` dpi and back: there it has the rectangle it
// was given, its font at that DPI and every box grown or shrunk with it, with nothing cut; back, it is
// as it was.
void ExpectTemplateWindowFollowsTheDpi(HWND window, const std::vector<int>& ids, UINT dpi) {
    const UINT moved = OtherDpi(dpi);
    const Look before = LookOf(window, ids);
    const RECT original = zr::test::OuterRect(window);
    const double f = static_cast<double>(moved) / dpi;
    const RECT suggested = SuggestedRect(static_cast<int>((original.right - original.left) * f),
                                         static_cast<int>((original.bottom - original.top) * f));
    EXPECT_EQ(SendDpiChanged(window, moved, suggested), 0);
    EXPECT_EQ(BoxOf(zr::test::OuterRect(window)), BoxOf(suggested));
    const Look there = LookOf(window, ids);
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(ids[i]);
        // Dialog units come from the font's own metrics, so the boxes follow the DPI closely, not exactly.
        const Box& b = before.boxes[i];
        const Box& t = there.boxes[i];
        const std::pair<int, int> sides[] = {{b.x, t.x}, {b.y, t.y}, {b.width, t.width}, {b.height, t.height}};
        for (const auto& [was, is] : sides)
            EXPECT_NEAR(is, was * f, 2 + was * f * 0.1) << t << " from " << b;
        EXPECT_EQ(there.fontHeights[i], -::MulDiv(9, moved, 72));
    }
    ExpectNothingCut(window, ids);
    EXPECT_EQ(SendDpiChanged(window, dpi, original), 0);
    EXPECT_EQ(BoxOf(zr::test::OuterRect(window)), BoxOf(original));
    EXPECT_EQ(LookOf(window, ids), before);
}

TEST_F(ScaledEnglishLook, FollowsAMoveToAMonitorOfAnotherDpi) {
    const UINT dpi = RunDpi();
    const UINT moved = OtherDpi(dpi);
    DialogBesideAnUpdate beside;
    ASSERT_TRUE(beside.Ready());
    bool inspected = false;
    zr::test::InspectedDialog dialog([&](zr::test::InspectedDialog& d) {
        inspected = true;
        const auto state = StateOf(d.m_hWnd);
        EXPECT_TRUE(std::get<2>(state));
        ASSERT_TRUE(beside.RemovePackage());

        // The system asks the size first: the English window's own, scaled.
        SIZE size = {};
        EXPECT_EQ(d.Send(WM_GETDPISCALEDSIZE, moved, reinterpret_cast<LPARAM>(&size)), TRUE);
        EXPECT_TRUE(WithinOnePixel({0, 0, size.cx, size.cy}, 0, 0, 277, 207, moved));
        const RECT suggested = SuggestedRect(size.cx, size.cy);
        EXPECT_EQ(SendDpiChanged(d.m_hWnd, moved, suggested), 0);

        EXPECT_EQ(BoxOf(zr::test::OuterRect(d.m_hWnd)), BoxOf(suggested));
        EXPECT_EQ(d.m_nDpi, moved);
        ExpectEnglishLookAt(d.m_hWnd, moved);
        EXPECT_EQ(reinterpret_cast<HICON>(d.Send(WM_GETICON, ICON_BIG)), d.m_hIcon);
        const int iconWidth = IconWidth(d.m_hIcon);
        // The logo at the icon size of the new DPI, its group's image for that size.
        EXPECT_EQ(iconWidth, ::MulDiv(32, moved, 96));
        // No new evaluation: the package is gone, yet the dialog shows what it found at its start.
        EXPECT_EQ(StateOf(d.m_hWnd), state);
    });
    dialog.DoModal();
    EXPECT_TRUE(inspected);
}

TEST_F(ScaledJapaneseLook, FollowsAMoveToAMonitorOfAnotherDpi) {
    const UINT dpi = RunDpi();
    DialogBesideAnUpdate beside;
    ASSERT_TRUE(beside.Ready());
    bool inspected = false;
    zr::test::InspectedDialog dialog([&](zr::test::InspectedDialog& d) {
        inspected = true;
        const auto state = StateOf(d.m_hWnd);
        ASSERT_TRUE(beside.RemovePackage());
        ExpectTemplateWindowFollowsTheDpi(d.m_hWnd, MAIN_CONTROLS, dpi);
        EXPECT_EQ(StateOf(d.m_hWnd), state);
    });
    dialog.DoModal();
    EXPECT_TRUE(inspected);
}

// The /passive window over an update that cannot start (no package here): it shows the two versions
// and its bar until it closes itself.
zr::UPDATE_EVALUATION PassiveEvaluation() {
    zr::UPDATE_EVALUATION e;
    e.bPackageRead = true;
    std::snprintf(e.package.szVersion, sizeof e.package.szVersion, "1.05");
    e.package.nLanguage = DialogBesideAnUpdate::Code();
    e.bInstalledVersionRead = true;
    e.installedVersion = "1.04";
    e.nInstalledLanguage = DialogBesideAnUpdate::Code();
    e.verdict = zr::UPDATE_APPLIES;
    return e;
}

TEST(ScaledPassiveWindow, IsTheTemplateAtTheDpiWithNothingCutAndFollowsAMove) {
    ASSERT_TRUE(CPassiveProgressDlg::LoadProgressBar());
    const UINT dpi = RunDpi();
    zr::test::ScratchFolder work(/*enter=*/true);
    const zr::UPDATE_EVALUATION evaluation = PassiveEvaluation();
    bool inspected = false;
    zr::test::InspectedPassiveWindow window(
        [&](zr::test::InspectedPassiveWindow& w) {
            inspected = true;
            EXPECT_EQ(zr::test::ControlText(w.m_hWnd, IDC_PASSIVE_UPDATE_VERSION),
                      std::wstring(L"1.05(") + DialogBesideAnUpdate::Name() + L")");
            ExpectTemplateLookAt(w.m_hWnd, IDD_PASSIVE_PROGRESS, PASSIVE_CONTROLS, dpi);
            SaveScreenshotAt(w.m_hWnd, dpi, "passive");
            ExpectTemplateWindowFollowsTheDpi(w.m_hWnd, PASSIVE_CONTROLS, dpi);
        },
        evaluation, !zr::test::RunsUnderJapaneseLocale(), nullptr);
    EXPECT_NE(window.DoModal(), -1);
    window.Outcome();
    EXPECT_TRUE(inspected);
}

}  // namespace
