// The Japanese texts must reach the screen as code page 932 bytes of the right characters.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "dialog/DialogTexts.h"

namespace {

std::wstring FromCodePage932(const char* text) {
    wchar_t wide[256] = {};
    ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text, -1, wide, 255);
    return wide;
}

TEST(DialogTexts, JapaneseTextsAreCodePage932) {
    const struct {
        const char* bytes;
        const wchar_t* characters;
    } cases[] = {
        {TEXT_NONE.japanese, L"(なし)"},
        {MSG_PRODUCT_RUNNING.japanese,
         L"ZR5048エミュレーションが起動中です。\n一度終了してから本プログラムを再実行してください。"},
        {MSG_CONFIRM_UPDATE.japanese, L"バージョンアップをしますがよろしいですか？"},
        {zr::OutcomeRow(zr::INSTALL_DONE).message.japanese, L"バージョンアップ完了"},
        {zr::OutcomeRow(zr::INSTALL_FAILED).message.japanese, L"バージョンアップ失敗"},
        {zr::OutcomeRow(zr::INSTALL_PACKAGE_UNTRUSTED).message.japanese,
         L"バージョンアップファイルが破損しているか、正規の提供元のものではありません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.characters)));
        EXPECT_EQ(FromCodePage932(c.bytes), c.characters);
    }
    // The full-width question mark is the two bytes 81 48.
    const std::string confirm = MSG_CONFIRM_UPDATE.japanese;
    EXPECT_EQ(confirm.substr(confirm.size() - 2), "\x81\x48");
}

TEST(DialogTexts, EnglishTextsAreUnchangedAscii) {
    EXPECT_STREQ(MSG_PRODUCT_RUNNING.english,
                 "[ZR5048 Emulation Software] Execute. \x0APlease terminate and re-try this.");
    EXPECT_STREQ(TEXT_NONE.In(true), "(none)");
    EXPECT_STREQ(TEXT_NONE.In(false), TEXT_NONE.japanese);
    EXPECT_STREQ(zr::OutcomeRow(zr::INSTALL_PACKAGE_UNTRUSTED).message.english,
                 "The update package is damaged or is not from the maker.");
}

}  // namespace
