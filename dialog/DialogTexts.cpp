// This file is UTF-8 and compiled with -fexec-charset=CP932, so that the Japanese texts arrive as
// code page 932 bytes (a test checks them). Nothing here may include a system header.
#include "dialog/DialogTexts.h"

const BilingualText TEXT_NONE = {"(none)", "(なし)"};

const BilingualText MSG_PRODUCT_RUNNING = {
    "[ZR5048 Emulation Software] Execute. \nPlease terminate and re-try this.",
    "ZR5048エミュレーションが起動中です。\n一度終了してから本プログラムを再実行してください。"};
const BilingualText MSG_CONFIRM_UPDATE = {"Are you sure to version-up?", "バージョンアップをしますがよろしいですか？"};

const char TEXT_CAPTION_ENGLISH[] = "ZR5048 Version up";
const char TEXT_INSTALLED_LABEL_ENGLISH[] = "Installed version.";
const char TEXT_UPDATE_LABEL_ENGLISH[] = "Update version.";
const char TEXT_EXECUTE_ENGLISH[] = "&Execute";
const char TEXT_EXIT_ENGLISH[] = "E&xit";
const char TEXT_PASSIVE_STATUS_ENGLISH[] = "Updating. Please wait.";

const BilingualText TEXT_IN_USE_PROGRAMS = {"Program: ", "使用中のプログラム: "};
const BilingualText TEXT_IN_USE_MORE = {"and %u more", "ほか %u 個"};

const BilingualText TEXT_USAGE = {
    "Usage: ZR5048VersionUp [/quiet | /passive] [/log FILE]\n\n"
    "/quiet\tupdates without any window or message\n"
    "/passive\tupdates without a question, showing only its progress\n"
    "/log FILE\tappends what happens to FILE (UTF-8 text)\n"
    "/?\tshows this text\n\n"
    "The exit codes are listed in the README, under \"Deploying silently\".",
    "使い方: ZR5048VersionUp [/quiet | /passive] [/log ファイル]\n\n"
    "/quiet\t画面もメッセージも出さずにバージョンアップします\n"
    "/passive\t確認をせず、進行状況だけを表示してバージョンアップします\n"
    "/log ファイル\t経過をファイルに追記します (UTF-8)\n"
    "/?\tこの説明を表示します\n\n"
    "終了コードの一覧は README の「Deploying silently」にあります。"};
const BilingualText TEXT_INVALID_COMMAND_LINE = {"This command line is not valid: ",
                                                 "コマンドラインが正しくありません: "};
