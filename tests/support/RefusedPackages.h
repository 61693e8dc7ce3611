// The packages the tool refuses before anything is written, and the installation they meet: one table
// that the installer's tests (tests/package/InstallPackageTest.cpp) and `mkvupcab check`'s
// (tests/tools/PackageCheckTest.cpp) both run, so the two judges cannot drift apart. Platform-free.
//
// The installation of every row holds ZR5048Em.exe, EXCEL\Report.xls and Images\Logo.bmp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/PackageFormat.h"

namespace zr::test {

// A directory record as raw bytes: the 32-byte name field exactly as given (padded with NUL when
// shorter), so names that the package writer would refuse can be built too.
struct RawEntry {
    std::string nameField;
    std::string payload;
    bool overrideSize = false;
    std::uint32_t declaredSize = 0;
};

inline std::string RawPackage(const std::vector<RawEntry>& entries) {
    std::string bytes = std::string("1.05", 4) + std::string(6, '\0') + '\x01' + static_cast<char>(entries.size());
    for (const RawEntry& entry : entries) {
        std::string field = entry.nameField.substr(0, 32);
        field.resize(32, '\0');
        unsigned char size[4];
        EncodeBigEndian32(entry.overrideSize ? entry.declaredSize : static_cast<std::uint32_t>(entry.payload.size()),
                          size);
        bytes += field + std::string(reinterpret_cast<const char*>(size), 4);
    }
    for (const RawEntry& entry : entries)
        bytes += entry.payload;
    return bytes;
}

struct RefusedCase {
    const char* what;
    std::string package;
};

inline std::string WithHostileName(const std::string& nameField) {
    return RawPackage({{"EXCEL\\Report.xls", "good"}, {nameField, "hostile"}});
}

inline std::string Cut(const std::string& bytes, std::size_t length) {
    return bytes.substr(0, length);
}

inline const std::string TWO_ENTRIES = RawPackage({{"EXCEL\\Report.xls", "abcdef"}, {"Images\\Logo.bmp", "ghijkl"}});

inline std::vector<RefusedCase> RefusedPackages() {
    return {
        RefusedCase{"parent folder with backslash", WithHostileName("..\\zrhostile")},
        RefusedCase{"parent folder with slash", WithHostileName("../zrhostile")},
        RefusedCase{"parent folder behind a marker", WithHostileName("EXCEL\\..\\..\\zrhostile")},
        RefusedCase{"parent folder in the middle", WithHostileName("Images/../../zrhostile")},
        RefusedCase{"parent folder at the end", WithHostileName("EXCEL\\..")},
        RefusedCase{"rooted with backslash", WithHostileName("\\zrhostile")},
        RefusedCase{"rooted with slash", WithHostileName("/zrhostile")},
        RefusedCase{"drive-relative", WithHostileName("C:zrhostile")},
        RefusedCase{"drive letter", WithHostileName("C:\\zrhostile")},
        RefusedCase{"UNC", WithHostileName("\\\\srv\\s\\zrhostile")},
        RefusedCase{"device path prefix", WithHostileName("\\\\?\\C:\\zrhostile")},
        RefusedCase{"colon in a name (stream)", WithHostileName("EXCEL\\a:b")},
        RefusedCase{"CON", WithHostileName("CON")},
        RefusedCase{"nul.txt", WithHostileName("nul.txt")},
        RefusedCase{"COM1 below a marker", WithHostileName("EXCEL\\COM1")},
        RefusedCase{"lpt9 with extension", WithHostileName("lpt9.log")},
        RefusedCase{"AUX as a folder", WithHostileName("AUX\\x.txt")},
        RefusedCase{"PRN with blank before the extension", WithHostileName("PRN .txt")},
        RefusedCase{"trailing dot", WithHostileName("EXCEL\\Report.xls.")},
        RefusedCase{"trailing space", WithHostileName("EXCEL\\Report.xls ")},
        RefusedCase{"folder with trailing dot", WithHostileName("EXCEL.\\x.xls")},
        RefusedCase{"control character", WithHostileName(std::string("EXCEL\\a\x01.xls"))},
        RefusedCase{"wildcard star", WithHostileName("EXCEL\\*.xls")},
        RefusedCase{"wildcard question mark", WithHostileName("EXCEL\\?.xls")},
        RefusedCase{"quote", WithHostileName("EXCEL\\\"a\".xls")},
        RefusedCase{"angle brackets", WithHostileName("EXCEL\\<a>.xls")},
        RefusedCase{"bar", WithHostileName("EXCEL\\a|b.xls")},
        RefusedCase{"32 bytes without NUL", WithHostileName(std::string(32, 'A'))},
        RefusedCase{"empty name", WithHostileName("")},
        RefusedCase{"name that is a folder", WithHostileName("EXCEL\\")},
        RefusedCase{"doubled separator", WithHostileName("EXCEL\\\\zrhostile")},
        RefusedCase{"size 0xFFFFFFFF",
                    RawPackage({{"EXCEL\\Report.xls", "abc"}, {"Images\\Logo.bmp", "", true, 0xFFFFFFFFu}})},
        RefusedCase{"header cut short: no entry count", Cut(TWO_ENTRIES, 11)},
        RefusedCase{"header cut short: five bytes", Cut(TWO_ENTRIES, 5)},
        RefusedCase{"empty file", ""},
        RefusedCase{"directory cut short inside the second record", Cut(TWO_ENTRIES, 12 + 36 + 20)},
        RefusedCase{"directory cut short after the first record", Cut(TWO_ENTRIES, 12 + 36)},
        RefusedCase{"payload cut short inside the last payload", Cut(TWO_ENTRIES, TWO_ENTRIES.size() - 1)},
        RefusedCase{"payload cut short: only the first payload", Cut(TWO_ENTRIES, TWO_ENTRIES.size() - 6)},
        RefusedCase{"count 255 with one record", RawPackage({{"EXCEL\\Report.xls", "abc"}}).replace(11, 1, "\xFF")},
        RefusedCase{"destination folder missing in the installation",
                    RawPackage({{"EXCEL\\Report.xls", "abc"}, {"Help\\index.htm", "help"}})},
        RefusedCase{"destination subfolder missing in the installation",
                    RawPackage({{"EXCEL\\Report.xls", "abc"}, {"EXCEL\\Sub\\a.xls", "sub"}})},
        RefusedCase{"a folder stands at the destination", RawPackage({{"EXCEL\\Report.xls", "abc"}, {"Images", "x"}})},
        RefusedCase{"destination would be the recovery record",
                    RawPackage({{"EXCEL\\Report.xls", "abc"}, {"zr~recovery.dat", "x"}})},
    };
}

}  // namespace zr::test
