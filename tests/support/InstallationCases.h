// Packages on installations, each row with the answer the tool gives: one table that the tool's own
// judges (the installed language as the startup evaluation reads it, then the installer) and
// `mkvupcab check` both run (tests/tools/PackageCheckTest.cpp), so that the dry run cannot promise
// what the tool refuses, or refuse what it installs. Platform-free.
//
// The installation of every row holds ZR5048Em.exe, EXCEL\Report.xls and Images\Logo.bmp.
#pragma once

#include <string>
#include <vector>

#include "tests/support/RefusedPackages.h"

namespace zr::test {

struct InstallationCase {
    const char* what;
    std::string package;
    const char* languageIni;            // Language.ini of the installation; null: none
    std::vector<const char*> folders;   // folders made in the installation (at a destination)
    std::vector<const char*> readOnly;  // installation files made read-only
    bool installable;
};

// RawPackage's bytes with another Language code.
inline std::string InLanguage(std::string package, int language) {
    package[10] = static_cast<char>(language);
    return package;
}

inline const char ENGLISH_INI[] = "[LangList]\r\nNo0=1\r\n";

inline std::vector<InstallationCase> InstallationCases() {
    const std::string report = RawPackage({{"EXCEL\\Report.xls", "new report"}});  // Language code 1
    std::vector<InstallationCase> cases = {
        {"an English package on an English installation", report, ENGLISH_INI, {}, {}, true},
        {"no Language.ini is a Japanese installation", report, nullptr, {}, {}, false},
        {"a Japanese package without Language.ini", InLanguage(report, 0), nullptr, {}, {}, true},
        {"an empty No0 is Japanese", report, "[LangList]\r\nNo0=\r\n", {}, {}, false},
        {"No0 in another section only", report, "[Other]\r\nNo0=1\r\n", {}, {}, false},
        {"section and key in another case, blanks around", report, "[langlist]\r\n no0 = 1 \r\n", {}, {}, true},
        {"a quoted value", report, "[LangList]\r\nNo0=\"1\"\r\n", {}, {}, true},
        {"a destination named twice",
         RawPackage({{"EXCEL\\Report.xls", "first"}, {"EXCEL\\Report.xls", "second"}}),
         ENGLISH_INI,
         {},
         {},
         true},
        {"a new destination named twice",
         RawPackage({{"EXCEL\\New.xls", "first"}, {"EXCEL\\New.xls", "second"}}),
         ENGLISH_INI,
         {},
         {},
         true},
        {"a folder at a destination",
         RawPackage({{"EXCEL\\Report.xls", "abc"}, {"EXCEL\\Folder.xls", "x"}}),
         ENGLISH_INI,
         {"EXCEL\\Folder.xls"},
         {},
         false},
        {"a read-only file at a destination", report, ENGLISH_INI, {}, {"EXCEL\\Report.xls"}, false},
        {"a read-only file elsewhere", report, ENGLISH_INI, {}, {"Images\\Logo.bmp"}, true},
    };
    for (const RefusedCase& refused : RefusedPackages())
        cases.push_back({refused.what, refused.package, ENGLISH_INI, {}, {}, false});
    return cases;
}

}  // namespace zr::test
