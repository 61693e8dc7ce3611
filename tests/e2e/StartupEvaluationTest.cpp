// What the real dialog shows when it opens, for each kind of installation, package and recovery
// record left in the installation, in both languages: the two version displays and whether Execute
// is enabled.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "framework/ScopedHandle.h"
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

// What stands at the recovery record's name in the installation folder when the tool starts. Each
// one the tool cannot carry out must keep the installation from being offered, and be left alone.
enum class Record {
    NONE,
    HELLO,       // a file reading "hello": not a record at all
    OTHER_FORM,  // a form the installer does not write, naming a file of the installation to delete
    HELD,        // held open without sharing by another process (this one): a run still going
    FOLDER,      // a folder of that name: it cannot be opened, so it cannot be finished
};

struct Outcome {
    const char* what;
    const char* installedVariant;  // stand-in version resource; null: nothing installed
    int installedCode;
    const char* packageVersion;  // null: no package
    int packageCode;
    const wchar_t* installedShown;  // NONE_TEXT: the None text
    const wchar_t* updateShown;
    bool executeEnabled;
    Record record = Record::NONE;
};

const Outcome OUTCOMES[] = {
    {"update applies", "1.4.0.0", 1, "1.05", 1, L"1.04(EN)", L"1.05(EN)", true},
    {"same version", "1.5.0.0", 1, "1.05", 1, L"1.05(EN)", L"1.05(EN)", false},
    {"installed is newer", "1.4.0.0", 1, "1.03", 1, L"1.04(EN)", L"1.03(EN)", false},
    {"languages differ", "1.4.0.0", 0, "1.05", 1, L"1.04(JA)", L"1.05(EN)", false},
    {"codes without names are compared as numbers", "1.4.0.0", 5, "1.05", 5, L"1.04()", L"1.05()", true},
    {"codes without names differ: 5 against 6", "1.4.0.0", 5, "1.05", 6, L"1.04()", L"1.05()", false},
    {"textual: 1.12 is lower than 1.9", "1.12.0.0", 1, "1.9", 1, L"1.12(EN)", L"1.9(EN)", true},
    {"textual: 10.05 is lower than 9.99", "10.5.3", 1, "9.99", 1, L"10.05(EN)", L"9.99(EN)", true},
    {"version only in an English table", "english-only", 1, "1.05", 1, NONE_TEXT, L"1.05(EN)", false},
    {"executable without version", "no-version", 1, "1.05", 1, NONE_TEXT, L"1.05(EN)", false},
    {"nothing installed", nullptr, 0, "1.05", 3, NONE_TEXT, L"1.05(KO)", false},
    {"no package", "1.4.0.0", 1, nullptr, 0, L"1.04(EN)", L"()", false},
    {"no package, nothing installed", nullptr, 0, nullptr, 0, NONE_TEXT, L"()", false},
    {"a record reading hello", "1.4.0.0", 1, "1.05", 1, NONE_TEXT, L"1.05(EN)", false, Record::HELLO},
    {"a record of another form", "1.4.0.0", 1, "1.05", 1, NONE_TEXT, L"1.05(EN)", false, Record::OTHER_FORM},
    {"a record held open by another process", "1.4.0.0", 1, "1.05", 1, NONE_TEXT, L"1.05(EN)", false, Record::HELD},
    {"a folder at the record's name", "1.4.0.0", 1, "1.05", 1, NONE_TEXT, L"1.05(EN)", false, Record::FOLDER},
};

// Puts `kind` at the record's name; *held receives the handle that holds it, *bytes what it reads.
::testing::AssertionResult PlaceRecord(Record kind,
                                       const std::string& folder,
                                       zr::ScopedKernelHandle* held,
                                       std::string* bytes) {
    const std::string path = folder + "zr~recovery.dat";
    switch (kind) {
        case Record::NONE:
            return ::testing::AssertionSuccess();
        case Record::HELLO:
            *bytes = "hello";
            break;
        case Record::OTHER_FORM:
            *bytes = "ZR5048 recovery record 9\nI\t" + folder + "\nC\t" + folder + "ZR5048Em.exe\n";
            break;
        case Record::HELD:
            held->reset(
                ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!held->IsValid())
                return ::testing::AssertionFailure() << "cannot hold " << path;
            return ::testing::AssertionSuccess();
        case Record::FOLDER:
            if (!::CreateDirectoryA(path.c_str(), nullptr))
                return ::testing::AssertionFailure() << "cannot make the folder " << path;
            return ::testing::AssertionSuccess();
    }
    if (!zr::test::WriteFileBytes(path, *bytes))
        return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionSuccess();
}

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
        zr::ScopedKernelHandle held;
        std::string recordBytes, exeBytes;
        if (row.record != Record::NONE) {
            ASSERT_TRUE(PlaceRecord(row.record, installed->Folder(), &held, &recordBytes));
            exeBytes = zr::test::ReadFileBytes(installed->ExePath());
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
        if (!recordBytes.empty()) {
            EXPECT_EQ(zr::test::ReadFileBytes(installed->Folder() + "zr~recovery.dat"), recordBytes)
                << "left alone for the user or support";
        }
        if (row.record != Record::NONE) {
            EXPECT_EQ(zr::test::ReadFileBytes(installed->ExePath()), exeBytes);
        }
    }
}

TEST_F(JapaneseDialog, StartupOutcomes) {
    ASSERT_NO_FATAL_FAILURE(CheckOutcomes(L"(なし)"));
}

TEST_F(EnglishDialog, StartupOutcomes) {
    ASSERT_NO_FATAL_FAILURE(CheckOutcomes(L"(none)"));
}

}  // namespace
