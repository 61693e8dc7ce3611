// An installed "ZR5048 Emulation Software" as the Windows Installer leaves it, for one test:
//
//   <scratch>\ZR5048 Emulation Software\ with
//     ZR5048Em.exe    a stand-in with the chosen version resource,
//     Language.ini    [LangList] No0=<code>,
//     EXCEL\ and Images\ (empty);
//   HKLM\...\Installer\Folders: a value named <scratch>\ZR5048 Emulation Software\EXCEL\ (data "").
//
// The Folders key is taken over while the object lives (see FoldersKey), so no other registration
// is seen; everything is removed afterwards. Typical use, in a test:
//
//   ImitationInstallation installed("1.4.0.0", 1);   // shows as 1.04(EN)
//   ASSERT_TRUE(installed.Ok());
//   ... start the tool, or call the dialog's operations ...
//   EXPECT_EQ(ReadFileBytes(installed.Folder() + "EXCEL\\Report.xls"), ...);
#pragma once

#include <string>

#include "tests/support/FoldersKey.h"
#include "tests/support/ScratchFolder.h"

namespace zr::test {

// A stand-in ZR5048Em.exe by variant, as built in the fixtures folder (tools/fixtures/CMakeLists.txt):
// the ProductVersion "1.4.0.0", "1.5.0.0", "1.12.0.0" or "10.5.3", or "english-only" (1.4.0.0 in an English
// table only), "no-version".
std::string StandInExePath(const std::string& variant);

class ImitationInstallation {
  public:
    // `view`: where the Folders value goes, the process's own registry view or, with KEY_WOW64_64KEY,
    // the 64-bit one, where the Windows Installer of a 64-bit Windows writes it.
    explicit ImitationInstallation(const std::string& variant = "1.4.0.0", int languageCode = 1, REGSAM view = 0);
    ImitationInstallation(const ImitationInstallation&) = delete;
    ImitationInstallation& operator=(const ImitationInstallation&) = delete;

    // Everything is in place (the variant exists, the files were written, the value registered).
    bool Ok() const { return m_ok; }

    // The installation folder, ending in a backslash, and its two files.
    const std::string& Folder() const { return m_folder; }
    std::string ExePath() const { return m_folder + "ZR5048Em.exe"; }
    std::string LanguageIniPath() const { return m_folder + "Language.ini"; }

    // Replaces Language.ini with `text` as it stands; null removes the file.
    bool WriteLanguageIni(const char* text) const;

    FoldersKey& Registry() { return m_registry; }

  private:
    FoldersKey m_registry;
    ScratchFolder m_scratch;
    std::string m_folder;
    bool m_ok = false;
};

}  // namespace zr::test
