// The platform-free directory reader and its judgement of names, sizes and paths, natively.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "format/PackageDirectory.h"
#include "tests/support/SamplePackage.h"

namespace {

using namespace zr;

const char INSTALL_FOLDER[] = "C:\\Apps\\ZR5048 Emulation Software\\";

TEST(CheckRelativePath, SortsEachKindOfUnsafeName) {
    const struct {
        const char* name;
        E_NAME_FAULT fault;
    } cases[] = {
        {"EXCEL\\Report.xls", NAME_OK},
        {"Readme", NAME_OK},
        {"a/b\\c.txt", NAME_OK},
        {"a\\\\b.txt", NAME_EMPTY_COMPONENT},  // Windows would read it as one: another name than written
        {"...txt", NAME_OK},
        {"..a", NAME_OK},
        {"CONSOLE.txt", NAME_OK},
        {"COM10", NAME_OK},
        {"LPT0.txt", NAME_OK},
        {"xcon", NAME_OK},
        {"", NAME_EMPTY},
        {"\\x", NAME_ROOTED},
        {"/x", NAME_ROOTED},
        {"\\\\srv\\share\\x", NAME_ROOTED},
        {"\\\\?\\C:\\x", NAME_ROOTED},
        {"C:x", NAME_COLON},
        {"C:\\x", NAME_COLON},
        {"a:b", NAME_COLON},
        {"EXCEL\\a.xls:stream", NAME_COLON},
        {"..", NAME_DOT_DOT},
        {"..\\x", NAME_DOT_DOT},
        {"../x", NAME_DOT_DOT},
        {"a\\..\\x", NAME_DOT_DOT},
        {"a\\..", NAME_DOT_DOT},
        {".", NAME_TRAILING_DOT_SPACE},
        {"a\\.\\b", NAME_TRAILING_DOT_SPACE},
        {"x.", NAME_TRAILING_DOT_SPACE},
        {"x ", NAME_TRAILING_DOT_SPACE},
        {"dir.\\x", NAME_TRAILING_DOT_SPACE},
        {"dir \\x", NAME_TRAILING_DOT_SPACE},
        {"CON", NAME_DEVICE_NAME},
        {"con", NAME_DEVICE_NAME},
        {"nul.txt", NAME_DEVICE_NAME},
        {"Aux.tar.gz", NAME_DEVICE_NAME},
        {"PRN .txt", NAME_DEVICE_NAME},
        {"EXCEL\\COM1", NAME_DEVICE_NAME},
        {"com9.log", NAME_DEVICE_NAME},
        {"LPT1\\x", NAME_DEVICE_NAME},
        {"lpt9", NAME_DEVICE_NAME},
        {"COM\xB9", NAME_DEVICE_NAME},
        {"CONIN$", NAME_DEVICE_NAME},
        {"a\x01.txt", NAME_BAD_CHARACTER},
        {"a\x1F", NAME_BAD_CHARACTER},
        {"a\tb", NAME_BAD_CHARACTER},
        {"*.xls", NAME_BAD_CHARACTER},
        {"a?b", NAME_BAD_CHARACTER},
        {"a\"b", NAME_BAD_CHARACTER},
        {"a<b", NAME_BAD_CHARACTER},
        {"a>b", NAME_BAD_CHARACTER},
        {"a|b", NAME_BAD_CHARACTER},
        {"EXCEL\\", NAME_EMPTY_FILE_NAME},
        {"a/", NAME_EMPTY_FILE_NAME},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE("case " + std::to_string(i) + ": " + cases[i].name);
        EXPECT_EQ(CheckRelativePath(cases[i].name, std::strlen(cases[i].name), &NoLeadBytes), cases[i].fault);
    }
}

TEST(CheckRelativePath, SecondBytesOfDoubleByteCharactersAreCharacters) {
    const struct {
        const char* name;
        E_NAME_FAULT singleByte;
        E_NAME_FAULT cp932;
    } cases[] = {
        {"\x83\x8C\x83\x7C\x81\x5B\x83\x67.xls", NAME_BAD_CHARACTER, NAME_OK},  // レポート.xls holds 0x7C
        {"EXCEL\\\x95\x5C", NAME_EMPTY_FILE_NAME, NAME_OK},                     // 表 ends in 0x5C
        {"\x83\x5C\\\x94\x5C.bmp", NAME_EMPTY_COMPONENT, NAME_OK},              // ソ\能.bmp
        // A lead byte before a byte below 0x40 forms no character: the '.', ':' and '\' still count.
        {"\x83:x", NAME_COLON, NAME_COLON},
        // 83 5C is one character, so in code page 932 the ".." belongs to the folder "aソ..".
        {"a\x83\\..\\x", NAME_DOT_DOT, NAME_TRAILING_DOT_SPACE},
        {"\x83.", NAME_TRAILING_DOT_SPACE, NAME_TRAILING_DOT_SPACE},
        // The same bytes one character on: 表 then ".." is a folder "表..", which ends in a dot.
        {"\x95\x5C..\\x", NAME_DOT_DOT, NAME_TRAILING_DOT_SPACE},
        {"\x83", NAME_OK, NAME_OK},  // a lone lead byte at the end
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const std::size_t length = std::strlen(cases[i].name);
        EXPECT_EQ(CheckRelativePath(cases[i].name, length, &NoLeadBytes), cases[i].singleByte);
        EXPECT_EQ(CheckRelativePath(cases[i].name, length, LeadBytesOf(932)), cases[i].cp932);
    }
}

// A directory decoded from real package bytes, judged with the usual installation folder.
struct Judged {
    std::unique_ptr<PACKAGE_DIRECTORY> directory = std::make_unique<PACKAGE_DIRECTORY>();
    PACKAGE_VERDICT verdict;
};

Judged Judge(const std::string& bytes, const char* installFolder = INSTALL_FOLDER) {
    Judged judged;
    DecodePackageDirectory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), judged.directory.get());
    judged.verdict = CheckPackageDirectory(*judged.directory, bytes.size(), std::strlen(installFolder), &NoLeadBytes);
    return judged;
}

std::string Package(const std::vector<zr::test::SampleEntry>& entries) {
    return zr::test::SamplePackage("1.05", 1, entries);
}

std::string WithSize(std::string bytes, unsigned entry, std::uint32_t size) {
    unsigned char field[PAYLOAD_SIZE_FIELD_SIZE];
    EncodeBigEndian32(size, field);
    bytes.replace(PayloadOffset(entry) + ENTRY_NAME_SIZE, sizeof field, reinterpret_cast<const char*>(field),
                  sizeof field);
    return bytes;
}

TEST(CheckPackageDirectory, RefusesWhatIsCutShortAndAcceptsWhatIsWhole) {
    const std::string two = Package({{"EXCEL\\a.xls", "abc"}, {"Images\\b.bmp", "defg"}});
    const struct {
        const char* what;
        std::string bytes;
        E_PACKAGE_FAULT fault;
        unsigned entry;
    } cases[] = {
        {"whole", two, PACKAGE_OK, 0},
        {"trailing bytes", two + "more", PACKAGE_OK, 0},
        {"no entries", Package({}), PACKAGE_OK, 0},
        {"size 0", Package({{"EXCEL\\a.xls", ""}}), PACKAGE_OK, 0},
        {"empty file", "", PACKAGE_COUNT_MISSING, 0},
        {"header without count", two.substr(0, 11), PACKAGE_COUNT_MISSING, 0},
        {"count, no records", two.substr(0, 12), PACKAGE_DIRECTORY_SHORT, 0},
        {"second record cut", two.substr(0, 12 + 36 + 35), PACKAGE_DIRECTORY_SHORT, 1},
        {"directory whole, payloads missing", two.substr(0, 12 + 72), PACKAGE_PAYLOADS_SHORT, 0},
        {"last payload byte missing", two.substr(0, two.size() - 1), PACKAGE_PAYLOADS_SHORT, 0},
        {"size 0xFFFFFFFF", WithSize(two, 1, 0xFFFFFFFFu), PACKAGE_PAYLOADS_SHORT, 0},
        {"sizes that wrap around 32 bits", WithSize(WithSize(two, 0, 0x80000000u), 1, 0x80000007u),
         PACKAGE_PAYLOADS_SHORT, 0},
        {"unsafe second name", Package({{"EXCEL\\a.xls", "a"}, {"..\\b", "b"}}), PACKAGE_BAD_ENTRY_NAME, 1},
        {"a folder named like a marker below another", Package({{"Images\\EXCEL\\a", "a"}}), PACKAGE_OK, 0},
        {"a doubled separator", Package({{"a.xls", "a"}, {"EXCEL\\\\a", "b"}}), PACKAGE_BAD_ENTRY_NAME, 1},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE("case " + std::to_string(i) + ": " + cases[i].what);
        const Judged judged = Judge(cases[i].bytes);
        EXPECT_EQ(judged.verdict.fault, cases[i].fault);
        if (cases[i].fault != PACKAGE_OK && cases[i].fault != PACKAGE_COUNT_MISSING) {
            EXPECT_EQ(judged.verdict.nEntry, cases[i].entry);
        }
    }
}

// A signed package's payloads end where its block begins: exactly at the given end, never short of it
// or past it, and never judged from a directory that is not whole.
TEST(PayloadsEndAt, OnlyAWholeDirectoryWhosePayloadsEndThere) {
    const std::string two = Package({{"EXCEL\\a.xls", "abc"}, {"Images\\b.bmp", "defg"}});
    std::string oneCounted = two;
    oneCounted[ENTRY_COUNT_OFFSET] = 1;
    const struct {
        int row;
        std::string bytes;
        std::uint64_t end;
        bool ends;
    } cases[] = {
        {1, two, two.size(), true},
        {2, two, two.size() + 1, false},
        {3, two, two.size() - 1, false},
        {4, Package({}), PayloadOffset(0), true},
        {5, WithSize(two, 1, 3), two.size(), false},
        {6, WithSize(two, 1, 5), two.size(), false},
        {7, oneCounted, two.size(), false},
        {8, two.substr(0, 12 + 36 + 35), two.size(), false},
        {9, "", 0, false},
        {10, WithSize(two, 1, 0xFFFFFFFFu), PayloadOffset(2) + 3 + 0xFFFFFFFFull, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        auto directory = std::make_unique<PACKAGE_DIRECTORY>();
        DecodePackageDirectory(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), directory.get());
        EXPECT_EQ(PayloadsEndAt(*directory, c.end), c.ends);
    }
}

TEST(CheckPackageDirectory, NameOf32BytesWithoutNulIsRefused) {
    std::string bytes = Package({{"EXCEL\\a.xls", "a"}});
    bytes.replace(DIRECTORY_OFFSET, ENTRY_NAME_SIZE, std::string(ENTRY_NAME_SIZE, 'A'));
    const Judged judged = Judge(bytes);
    EXPECT_EQ(judged.verdict.fault, PACKAGE_BAD_ENTRY_NAME);
    EXPECT_EQ(judged.verdict.nameFault, NAME_NOT_TERMINATED);
}

TEST(CheckPackageDirectory, DestinationPastTheLimitIsRefused) {
    const std::string folder = "C:\\" + std::string(225, 'f') + "\\";  // 229 characters
    const std::string fits = "EXCEL\\" + std::string(24, 'n');         // 30: exactly 259 in all
    EXPECT_EQ(Judge(Package({{fits, "x"}}), folder.c_str()).verdict.fault, PACKAGE_OK);
    EXPECT_EQ(Judge(Package({{fits + "n", "x"}}), folder.c_str()).verdict.fault, PACKAGE_DESTINATION_TOO_LONG);
}

TEST(DecodePackageDirectory, ReadsCountRecordsAndBigEndianSizes) {
    std::vector<zr::test::SampleEntry> entries;
    for (unsigned i = 0; i < MAX_ENTRY_COUNT; ++i)
        entries.push_back({"f" + std::to_string(i), std::string(i, 'x')});
    const std::string bytes = Package(entries);
    const Judged judged = Judge(bytes);
    ASSERT_EQ(judged.verdict.fault, PACKAGE_OK);
    EXPECT_EQ(judged.directory->nCount, 255u);
    EXPECT_EQ(judged.directory->nPresent, 255u);
    EXPECT_STREQ(judged.directory->entries[254].szName, "f254");
    EXPECT_EQ(judged.directory->entries[254].dwSize, 254u);
    EXPECT_EQ(judged.directory->entries[1].dwSize, 1u);
    EXPECT_EQ(WithSize(bytes, 3, 0x01020304u).size(), bytes.size());
    EXPECT_EQ(Judge(WithSize(bytes, 3, 0x01020304u)).directory->entries[3].dwSize, 0x01020304u);
}

}  // namespace
