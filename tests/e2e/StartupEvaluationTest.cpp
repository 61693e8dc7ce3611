// What the real dialog shows when it opens, for each kind of installation and package, in both
// languages: the two version displays and whether Execute is enabled.
#include <gtest/gtest.h>

#include <memory>

#include "res/resource.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using zr::test::ProductProcess;
using zr::test::ScratchFolder;
using EnglishDialog = zr::test::EnglishLocaleTest;
using JapaneseDialog = zr::test::JapaneseLocaleTest;

constexpr const wchar_t* NONE_TEXT = nullptr;  // the None text of the dialog's language

struct Outcome {
    const char* what;
    const char* installedVariant;  // stand-in version resource; null: nothing installed
    int installedCode;
    const char* packageVersion;  // null: no package
    int packageCode;
    const wchar_t* installedShown;  // NONE_TEXT: the None text
    const wchar_t* updateShown;
    bool executeEnabled;
};

const Outcome OUTCOMES[] = {
    {"update applies", "1.4.0.0", 1, "1.05", 1, L"1.04(EN)", L"1.05(EN)", true},
    {"same version", "1.5.0.0", 1, "1.05", 1, L"1.05(EN)", L"1.05(EN)", false},
    {"installed is newer", "1.4.0.0", 1, "1.03", 1, L"1.04(EN)", L"1.03(EN)", false},
    {"languages differ", "1.4.0.0", 0, "1.05", 1, L"1.04(JA)", L"1.05(EN)", false},
    {"codes without names are compared as numbers", "1.4.0.0", 5, "1.05", 5, L"1.04()", L"1.05()", true},
    {"textual: 1.12 is lower than 1.9", "1.12.0.0", 1, "1.9", 1, L"1.12(EN)", L"1.9(EN)", true},
    {"textual: 10.05 is lower than 9.99", "10.5.3", 1, "9.99", 1, L"10.05(EN)", L"9.99(EN)", true},
    {"version only in an English table", "english-only", 1, "1.05", 1, NONE_TEXT, L"1.05(EN)", false},
    {"executable without version", "no-version", 1, "1.05", 1, NONE_TEXT, L"1.05(EN)", false},
    {"nothing installed", nullptr, 0, "1.05", 3, NONE_TEXT, L"1.05(KO)", false},
    {"no package", "1.4.0.0", 1, nullptr, 0, L"1.04(EN)", L"()", false},
    {"no package, nothing installed", nullptr, 0, nullptr, 0, NONE_TEXT, L"()", false},
};

void CheckOutcomes(const wchar_t* noneText) {
    for (const Outcome& row : OUTCOMES) {
        SCOPED_TRACE(row.what);
        std::unique_ptr<zr::test::ImitationInstallation> installed;
        if (row.installedVariant) {
            installed = std::make_unique<zr::test::ImitationInstallation>(row.installedVariant, row.installedCode);
            ASSERT_TRUE(installed->Ok());
        }
        ScratchFolder work;
        if (row.packageVersion) {
            ASSERT_TRUE(zr::test::WriteFileBytes(work / "vupcab",
                                                 zr::test::SamplePackage(row.packageVersion, row.packageCode)));
        }
        ProductProcess tool(work.Path());
        ASSERT_TRUE(tool.Opens());
        HWND dialog = tool.Dialog();

        EXPECT_EQ(zr::test::ControlText(dialog, IDC_INSTALLED_VERSION),
                  row.installedShown ? row.installedShown : noneText);
        EXPECT_EQ(zr::test::ControlText(dialog, IDC_UPDATE_VERSION), row.updateShown);
        EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(dialog, IDC_EXECUTE)) != FALSE, row.executeEnabled);
        // The focus starts on Exit whether or not Execute is enabled.
        EXPECT_EQ(zr::test::FocusedWindow(dialog), ::GetDlgItem(dialog, IDCANCEL));

        EXPECT_TRUE(tool.Closes());
    }
}

TEST_F(JapaneseDialog, StartupOutcomes) {
    ASSERT_NO_FATAL_FAILURE(CheckOutcomes(L"(なし)"));
}

TEST_F(EnglishDialog, StartupOutcomes) {
    ASSERT_NO_FATAL_FAILURE(CheckOutcomes(L"(none)"));
}

}  // namespace
