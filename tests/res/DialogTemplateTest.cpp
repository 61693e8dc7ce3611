// The dialog template compiled into the product, checked field by field.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/DialogTemplate.h"
#include "tests/support/ProductProcess.h"

namespace {

constexpr WORD JAPANESE = 0x0411;

TEST(DialogTemplate, DialogPropertiesAreTheTemplates) {
    zr::test::DialogTemplate t;
    ASSERT_TRUE(zr::test::LoadDialogTemplate(zr::test::ProductExePath(), IDD_ZR5048VERSIONUP_DIALOG, JAPANESE, &t))
        << zr::test::ProductExePath();
    EXPECT_EQ(t.style, 0x80C800C0u);
    EXPECT_EQ(t.style & (WS_VISIBLE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN), 0u);
    EXPECT_EQ(t.exStyle, static_cast<std::uint32_t>(WS_EX_APPWINDOW));
    EXPECT_EQ(t.helpId, 0u);
    EXPECT_EQ((std::vector<int>{t.x, t.y, t.cx, t.cy}), (std::vector<int>{0, 0, 158, 115}));
    EXPECT_EQ(t.menu, L"");
    EXPECT_EQ(t.windowClass, L"");
    EXPECT_EQ(t.caption, L"ZR5048バージョンアップ");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.weight, 0);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, DEFAULT_CHARSET);
    EXPECT_EQ(t.face, L"ＭＳ Ｐゴシック");
}

TEST(DialogTemplate, SixControlsInTabOrderWithTheirIdsTextsRectanglesAndStyles) {
    zr::test::DialogTemplate t;
    ASSERT_TRUE(zr::test::LoadDialogTemplate(zr::test::ProductExePath(), IDD_ZR5048VERSIONUP_DIALOG, JAPANESE, &t));
    const struct {
        std::uint32_t id;
        const wchar_t* className;  // the standard ordinals: #128 Button, #130 Static
        const wchar_t* text;
        int x, y, cx, cy;
        std::uint32_t style;
    } expected[] = {
        {IDCANCEL, L"#128", L"終了(&X)", 100, 93, 50, 14, 0x50010000},
        {IDC_EXECUTE, L"#128", L"実行(&E)", 48, 93, 50, 14, 0x50010000},
        {IDC_INSTALLED_LABEL, L"#130", L"インストールされているバージョン", 10, 15, 127, 12, 0x50020200},
        {IDC_INSTALLED_VERSION, L"#130", L"0.00", 20, 30, 31, 12, 0x50021200},
        {IDC_UPDATE_LABEL, L"#130", L"更新されるバージョン", 10, 58, 127, 12, 0x50020200},
        {IDC_UPDATE_VERSION, L"#130", L"0.00", 20, 72, 31, 12, 0x50021200},
    };
    ASSERT_EQ(t.items.size(), std::size(expected));
    for (std::size_t i = 0; i < t.items.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const zr::test::DialogItemTemplate& item = t.items[i];
        EXPECT_EQ(item.id, expected[i].id);
        EXPECT_EQ(item.className, expected[i].className);
        EXPECT_EQ(item.text, expected[i].text);
        EXPECT_EQ((std::vector<int>{item.x, item.y, item.cx, item.cy}),
                  (std::vector<int>{expected[i].x, expected[i].y, expected[i].cx, expected[i].cy}));
        EXPECT_EQ(item.style, expected[i].style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.helpId, 0u);
        EXPECT_EQ(item.extraCount, 0);
    }
}

}  // namespace
