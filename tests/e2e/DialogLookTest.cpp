// How the real dialog looks to a user, read from this separate process: the English look's texts
// and pixel geometry on screens of several sizes, the Japanese look centred with its template
// geometry, and where the keyboard focus starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "res/resource.h"
#include "tests/support/DialogTemplate.h"
#include "tests/support/Geometry.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using zr::test::Box;
using zr::test::BoxOf;
using zr::test::ProductProcess;
using zr::test::ScratchFolder;
using EnglishDialog = zr::test::EnglishLocaleTest;
using JapaneseDialog = zr::test::JapaneseLocaleTest;

bool WritePackage(const ScratchFolder& work) {
    return zr::test::WriteFileBytes(work / "vupcab", zr::test::SamplePackage());
}

const struct {
    int id;
    Box box;
} ENGLISH_CONTROLS[] = {
    {IDC_INSTALLED_LABEL, {16, 22, 222, 18}}, {IDC_INSTALLED_VERSION, {33, 44, 66, 18}},
    {IDC_UPDATE_LABEL, {16, 86, 222, 18}},    {IDC_UPDATE_VERSION, {33, 107, 66, 18}},
    {IDC_EXECUTE, {82, 139, 88, 21}},         {IDCANCEL, {173, 139, 88, 21}},
};

// The English control rectangles do not depend on the screen.
void ExpectEnglishControlsInPlace(HWND dialog) {
    for (const auto& control : ENGLISH_CONTROLS) {
        SCOPED_TRACE(control.id);
        EXPECT_EQ(BoxOf(zr::test::ControlRect(dialog, control.id)), control.box);
    }
}

TEST_F(EnglishDialog, ShowsTheEnglishTextsAndPixelGeometry) {
    ScratchFolder work;
    ASSERT_TRUE(WritePackage(work));
    ProductProcess tool(work.Path());
    ASSERT_TRUE(tool.Opens());
    HWND dialog = tool.Dialog();

    EXPECT_EQ(zr::test::WindowText(dialog), L"ZR5048 Version up");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_LABEL), L"Installed version.");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_LABEL), L"Update version.");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_EXECUTE), L"&Execute");
    EXPECT_EQ(zr::test::ControlText(dialog, IDCANCEL), L"E&xit");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_VERSION), L"1.05(EN)");
    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"(none)");

    EXPECT_EQ(BoxOf(zr::test::OuterRect(dialog)), (Box{374, 298, 277, 207}));  // the 1024x768 test screen
    ExpectEnglishControlsInPlace(dialog);
    EXPECT_EQ(zr::test::FocusedWindow(dialog), ::GetDlgItem(dialog, IDCANCEL));
    zr::test::SaveScreenshot("dialog-english");

    EXPECT_TRUE(tool.Closes());
}

// Run on the usual screen and, by the test registration, on X screens of other sizes: the place
// comes from the screen size alone, and a dialog larger than the screen is not pulled back onto it.
TEST_F(EnglishDialog, IsPlacedFromTheScreenSizeAloneAndNeverClamped) {
    const struct {
        int width, height;
        Box expected;
    } screens[] = {
        {1024, 768, {374, 298, 277, 207}},
        {1920, 1080, {822, 454, 277, 207}},
        {1025, 769, {374, 298, 277, 207}},  // the halvings drop the remainder
        {200, 150, {-38, -11, 277, 207}},   // larger than the screen: not pulled back onto it
    };
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const auto* screen = std::find_if(std::begin(screens), std::end(screens),
                                      [&](const auto& row) { return row.width == width && row.height == height; });
    ASSERT_NE(screen, std::end(screens)) << "no expected place for a " << width << "x" << height << " screen";

    ScratchFolder work;
    ASSERT_TRUE(WritePackage(work));
    ProductProcess tool(work.Path());
    ASSERT_TRUE(tool.Opens());
    HWND dialog = tool.Dialog();
    EXPECT_EQ(BoxOf(zr::test::OuterRect(dialog)), screen->expected);
    ExpectEnglishControlsInPlace(dialog);
    EXPECT_TRUE(tool.Closes(zr::test::Closing::CLOSE_BOX));
}

// The dialog units of the template, converted the way the dialog manager converts them for this
// font on this system: a hidden copy of the same template made in this process.
class TemplateUnits {
  public:
    TemplateUnits() {
        m_module = ::LoadLibraryExA(zr::test::ProductExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC found = m_module ? ::FindResourceExA(m_module, MAKEINTRESOURCEA(5),
                                                   MAKEINTRESOURCEA(IDD_ZR5048VERSIONUP_DIALOG), 0x0411)
                               : nullptr;
        if (found) {
            auto* data = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(m_module, found)));
            m_dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), data, nullptr, &Ignore, 0);
        }
    }
    ~TemplateUnits() {
        if (m_dialog)
            ::DestroyWindow(m_dialog);
        if (m_module)
            ::FreeLibrary(m_module);
    }
    bool Ready() const { return m_dialog != nullptr; }
    // The dialog manager converts position and size each on its own, so their roundings differ from
    // those of the converted corners.
    Box Pixels(int x, int y, int cx, int cy) const {
        RECT place = {x, y, 0, 0};
        RECT size = {0, 0, cx, cy};
        ::MapDialogRect(m_dialog, &place);
        ::MapDialogRect(m_dialog, &size);
        return {place.left, place.top, size.right, size.bottom};
    }
    Box OuterSize() const { return BoxOf(zr::test::OuterRect(m_dialog)); }

  private:
    static INT_PTR CALLBACK Ignore(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
    HMODULE m_module = nullptr;
    HWND m_dialog = nullptr;
};

TEST_F(JapaneseDialog, KeepsTheTemplateGeometryCentredOnTheWorkArea) {
    TemplateUnits units;
    ASSERT_TRUE(units.Ready());
    zr::test::DialogTemplate layout;
    ASSERT_TRUE(zr::test::LoadDialogTemplate(zr::test::ProductExePath(), IDD_ZR5048VERSIONUP_DIALOG, 0x0411, &layout));

    ScratchFolder work;
    ASSERT_TRUE(WritePackage(work));
    ProductProcess tool(work.Path());
    ASSERT_TRUE(tool.Opens());
    HWND dialog = tool.Dialog();

    for (const zr::test::DialogItemTemplate& item : layout.items) {
        SCOPED_TRACE(item.id);
        EXPECT_EQ(BoxOf(zr::test::ControlRect(dialog, item.id)), units.Pixels(item.x, item.y, item.cx, item.cy));
    }
    const Box outer = BoxOf(zr::test::OuterRect(dialog));
    EXPECT_EQ(outer.width, units.OuterSize().width);
    EXPECT_EQ(outer.height, units.OuterSize().height);
    RECT area;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(outer.x, (area.left + area.right) / 2 - outer.width / 2);
    EXPECT_EQ(outer.y, (area.top + area.bottom) / 2 - outer.height / 2);

    EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION), L"(なし)");
    EXPECT_EQ(zr::test::FocusedWindow(dialog), ::GetDlgItem(dialog, IDCANCEL));
    EXPECT_TRUE(tool.Closes());
}

// Alt+X is Exit's mnemonic in both looks.
::testing::AssertionResult AltXPressesExit() {
    ScratchFolder work;
    ProductProcess tool(work.Path());
    if (auto opened = tool.Opens(); !opened)
        return opened;
    return tool.Closes(zr::test::Closing::ALT_X);
}

TEST_F(JapaneseDialog, AltXPressesExit) {
    EXPECT_TRUE(AltXPressesExit());
}

TEST_F(EnglishDialog, AltXPressesExit) {
    EXPECT_TRUE(AltXPressesExit());
}

}  // namespace
