// The real dialog run modally inside the test process, so that what another process cannot read
// (fonts, icons) can be checked: it is inspected once it is up, then closed.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/DialogUnderTest.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/ScratchFolder.h"

namespace {

using LiveDialogUnderEnglishLocale = zr::test::EnglishLocaleTest;
using LiveDialogUnderJapaneseLocale = zr::test::JapaneseLocaleTest;

using zr::test::InspectedDialog;

LOGFONTW ControlFont(HWND dialog, int id) {
    LOGFONTW font = {};
    HFONT handle = reinterpret_cast<HFONT>(::SendMessageW(::GetDlgItem(dialog, id), WM_GETFONT, 0, 0));
    ::GetObjectW(handle, sizeof font, &font);
    return font;
}

const int CONTROLS[] = {IDC_INSTALLED_LABEL, IDC_INSTALLED_VERSION, IDC_UPDATE_LABEL,
                        IDC_UPDATE_VERSION,  IDC_EXECUTE,           IDCANCEL};

TEST_F(LiveDialogUnderEnglishLocale, ControlsUseTahomaAtNinePoints) {
    zr::test::ScratchFolder work(/*enter=*/true);
    bool inspected = false;
    InspectedDialog dialog([&](InspectedDialog& d) {
        inspected = true;
        ASSERT_TRUE(d.m_bEnglish);
        HDC screen = ::GetDC(nullptr);
        const int height = -(::GetDeviceCaps(screen, LOGPIXELSY) * 90 / 720);
        ::ReleaseDC(nullptr, screen);
        for (int id : CONTROLS) {
            SCOPED_TRACE(id);
            const LOGFONTW font = ControlFont(d.m_hWnd, id);
            EXPECT_STREQ(font.lfFaceName, L"Tahoma");
            EXPECT_EQ(font.lfHeight, height);
            EXPECT_EQ(font.lfWeight, 0);
            EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
        }
    });
    dialog.DoModal();
    EXPECT_TRUE(inspected);
}

TEST(LiveDialog, IconsAreTheSystemLogo) {
    zr::test::ScratchFolder work(/*enter=*/true);
    bool inspected = false;
    InspectedDialog dialog([&](InspectedDialog& d) {
        inspected = true;
        HICON logo = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32517));
        EXPECT_EQ(d.m_hIcon, logo);
        EXPECT_EQ(reinterpret_cast<HICON>(d.Send(WM_GETICON, ICON_BIG)), logo);
        EXPECT_EQ(reinterpret_cast<HICON>(d.Send(WM_GETICON, ICON_SMALL)), logo);
        EXPECT_EQ(reinterpret_cast<HICON>(d.Send(WM_QUERYDRAGICON)), logo);
    });
    dialog.DoModal();
    EXPECT_TRUE(inspected);
}

TEST_F(LiveDialogUnderJapaneseLocale, ControlsKeepTheTemplateFont) {
    zr::test::ScratchFolder work(/*enter=*/true);
    bool inspected = false;
    InspectedDialog dialog([&](InspectedDialog& d) {
        inspected = true;
        ASSERT_FALSE(d.m_bEnglish);
        for (int id : CONTROLS) {
            SCOPED_TRACE(id);
            EXPECT_STREQ(ControlFont(d.m_hWnd, id).lfFaceName, L"ＭＳ Ｐゴシック");
        }
    });
    dialog.DoModal();
    EXPECT_TRUE(inspected);
}

}  // namespace
