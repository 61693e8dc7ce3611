// This file is UTF-8 and compiled with -fexec-charset=CP932, so that the Japanese texts arrive as
// code page 932 bytes (a test checks them). Nothing here may include a system header.
#include "update/Outcomes.h"

namespace zr {

namespace {

constexpr BilingualText MSG_UPDATE_FAILED = {"Version up failure.", "バージョンアップ失敗"};

// In the enumeration's order.
const OUTCOME_ROW OUTCOMES[] = {
    {INSTALL_DONE, EXIT_UPDATED, "updated, every file is in place", {"Version up finished.", "バージョンアップ完了"}},
    {INSTALL_PACKAGE_UNREADABLE, EXIT_PACKAGE_UNREADABLE, "the package cannot be read, nothing changed",
     MSG_UPDATE_FAILED},
    {INSTALL_PACKAGE_REFUSED, EXIT_PACKAGE_REFUSED, "the package is refused, nothing changed", MSG_UPDATE_FAILED},
    {INSTALL_PACKAGE_UNTRUSTED,
     EXIT_PACKAGE_REFUSED,
     "the package is damaged or not from the maker, nothing changed",
     {"The update package is damaged or is not from the maker.",
      "バージョンアップファイルが破損しているか、正規の提供元のものではありません。"}},
    // Nothing changed and the holder may let go: a deployment tries again later.
    {INSTALL_BUSY, EXIT_BUSY, "another copy is installing, nothing changed", MSG_UPDATE_FAILED},
    {INSTALL_FAILED, EXIT_FATAL, "failed, everything was put back", MSG_UPDATE_FAILED},
    {INSTALL_FILES_IN_USE,
     EXIT_BUSY,
     "files are in use by another program, nothing changed",
     {"These files are used by another program. \nPlease close it and re-try this.",
      "次のファイルを他のプログラムが使用中です。\nそのプログラムを終了してから再試行してください。"}},
};

// In the enumeration's order.
const VERDICT_ROW VERDICTS[] = {
    {UPDATE_APPLIES, EXIT_UPDATED, "installed {installed} is lower than {package}, same language: update", true},
    {UPDATE_NOT_INSTALLED, EXIT_NOT_INSTALLED, "no installation to update", false},
    {UPDATE_INSTALLATION_BUSY, EXIT_BUSY, "the installation is busy, try again later", false},
    // A recovery record not of the installer's making: never touched.
    {UPDATE_INSTALLATION_DAMAGED, EXIT_FATAL, "the installation cannot be updated", false},
    {UPDATE_PACKAGE_UNREADABLE, EXIT_PACKAGE_UNREADABLE, "no package to install", true},
    {UPDATE_PACKAGE_REFUSED, EXIT_PACKAGE_REFUSED, "the package carries no version, refused", true},
    // A deployment may run again on a PC it has updated: that is a success, not an error.
    {UPDATE_ALREADY_CURRENT, EXIT_UPDATED, "version {package} in this language is installed already, nothing to do",
     true},
    {UPDATE_NEWER_INSTALLED, EXIT_NEWER_INSTALLED, "installed {installed} is newer than {package}, nothing to do",
     true},
    {UPDATE_LANGUAGE_MISMATCH, EXIT_LANGUAGE_MISMATCH,
     "the package's language {packageLanguage} is not the installation's {installedLanguage}", true},
    {UPDATE_PACKAGE_DAMAGED, EXIT_PACKAGE_REFUSED,
     "the package is damaged or not from the maker, so its version and language are not believed: refused", true},
};

// In the enumeration's order.
const RECOVERY_ROW RECOVERIES[] = {
    {RECOVERY_NOTHING, nullptr, UPDATE_APPLIES},
    {RECOVERY_DONE, "finished, the installation is whole again", UPDATE_APPLIES},
    {RECOVERY_LIVE, "another copy is installing", UPDATE_INSTALLATION_BUSY},
    {RECOVERY_UNFINISHED, "cannot be finished now (a file in use)", UPDATE_INSTALLATION_BUSY},
    // Never install over a record that is not the installer's.
    {RECOVERY_REFUSED, "its record is not the installer's, left alone", UPDATE_INSTALLATION_DAMAGED},
};

static_assert(sizeof RECOVERIES / sizeof RECOVERIES[0] == RECOVERY_REFUSED + 1, "one row per recovery result");
static_assert(sizeof OUTCOMES / sizeof OUTCOMES[0] == INSTALL_FILES_IN_USE + 1, "one row per install outcome");
static_assert(sizeof VERDICTS / sizeof VERDICTS[0] == UPDATE_PACKAGE_DAMAGED + 1, "one row per verdict");

}  // namespace

const OUTCOME_ROW& OutcomeRow(E_INSTALL_OUTCOME outcome) {
    const unsigned index = static_cast<unsigned>(outcome);
    return index < sizeof OUTCOMES / sizeof OUTCOMES[0] && OUTCOMES[index].outcome == outcome
               ? OUTCOMES[index]
               : OUTCOMES[INSTALL_FAILED];
}

const VERDICT_ROW& VerdictRow(E_UPDATE_VERDICT verdict) {
    const unsigned index = static_cast<unsigned>(verdict);
    return index < sizeof VERDICTS / sizeof VERDICTS[0] && VERDICTS[index].verdict == verdict
               ? VERDICTS[index]
               : VERDICTS[UPDATE_INSTALLATION_DAMAGED];
}

const RECOVERY_ROW& RecoveryRow(E_RECOVERY recovery) {
    const unsigned index = static_cast<unsigned>(recovery);
    return index < sizeof RECOVERIES / sizeof RECOVERIES[0] && RECOVERIES[index].recovery == recovery
               ? RECOVERIES[index]
               : RECOVERIES[RECOVERY_REFUSED];
}

std::string DecisionText(const VERDICT_ROW& row,
                         const std::string& installed,
                         const std::string& package,
                         const std::string& installedLanguage,
                         const std::string& packageLanguage) {
    const struct {
        const char* place;
        const std::string& value;
    } places[] = {{"{installed}", installed},
                  {"{package}", package},
                  {"{installedLanguage}", installedLanguage},
                  {"{packageLanguage}", packageLanguage}};
    std::string text = row.szDecision;
    for (const auto& place : places) {
        for (std::size_t at = text.find(place.place); at != std::string::npos;
             at = text.find(place.place, at + place.value.size()))
            text.replace(at, std::char_traits<char>::length(place.place), place.value);
    }
    return text;
}

}  // namespace zr
