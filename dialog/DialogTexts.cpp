// This file is UTF-8 and compiled with -fexec-charset=CP932, so that the Japanese texts arrive as
// code page 932 bytes (a test checks them). Nothing here may include a system header.
#include "dialog/DialogTexts.h"

const BilingualText TEXT_NONE = {"(none)", "(なし)"};

const BilingualText MSG_PRODUCT_RUNNING = {
    "[ZR5048 Emulation Software] Execute. \nPlease terminate and re-try this.",
    "ZR5048エミュレーションが起動中です。\n一度終了してから本プログラムを再実行してください。"};
const BilingualText MSG_CONFIRM_UPDATE = {"Are you sure to version-up?", "バージョンアップをしますがよろしいですか？"};
const BilingualText MSG_UPDATE_SUCCEEDED = {"Version up finished.", "バージョンアップ完了"};
const BilingualText MSG_UPDATE_FAILED = {"Version up failure.", "バージョンアップ失敗"};

const char TEXT_CAPTION_ENGLISH[] = "ZR5048 Version up";
const char TEXT_INSTALLED_LABEL_ENGLISH[] = "Installed version.";
const char TEXT_UPDATE_LABEL_ENGLISH[] = "Update version.";
const char TEXT_EXECUTE_ENGLISH[] = "&Execute";
const char TEXT_EXIT_ENGLISH[] = "E&xit";
