// Finding the installation through the Windows Installer's Folders key in the test prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "product/FindInstallation.h"
#include "tests/support/FoldersKey.h"

namespace {

using namespace zr;

using zr::test::FoldersKey;

const char UNTOUCHED[] = "untouched";

INSTALLATION_PATHS UntouchedPaths() {
    INSTALLATION_PATHS paths;
    std::strcpy(paths.szInstallFolder, UNTOUCHED);
    std::strcpy(paths.szExePath, UNTOUCHED);
    std::strcpy(paths.szLanguageIni, UNTOUCHED);
    return paths;
}

// A matching name whose installation folder text has exactly `folderLength` characters.
std::string NameWithFolderOf(std::size_t folderLength) {
    const std::string product = "\\ZR5048 Emulation Software\\";
    return "C:\\" + std::string(folderLength - 3 - product.size(), 'x') + product + "EXCEL\\";
}

struct LookupCase {
    const char* what;
    std::vector<std::string> names;  // in enumeration order
    const char* folder;              // null: not found
};

const std::string FOLDER = "C:\\Apps\\ZR5048 Emulation Software\\";

const LookupCase LOOKUP_CASES[] = {
    {"the product folder itself lacks the marker; its EXCEL folder matches",
     {FOLDER, FOLDER + "EXCEL\\"},
     "C:\\Apps\\ZR5048 Emulation Software\\"},
    {"the marker in another letter case does not match", {FOLDER + "Excel\\"}, nullptr},
    {"the cut is by count: without the trailing backslash the folder loses its own",
     {FOLDER + "EXCEL"},
     "C:\\Apps\\ZR5048 Emulation Software"},
    {"of two matches the first enumerated wins",
     {"C:\\A\\ZR5048 Emulation Software\\EXCEL\\", "C:\\B\\ZR5048 Emulation Software\\EXCEL\\"},
     "C:\\A\\ZR5048 Emulation Software\\"},
    {"no name holds the marker", {"C:\\Other\\", "D:\\Apps\\Tool\\"}, nullptr},
    {"the empty key", {}, nullptr},
    {"a 300-character name ahead of the match is stepped over",
     {"C:\\" + std::string(296, 'A') + "\\", FOLDER + "EXCEL\\"},
     "C:\\Apps\\ZR5048 Emulation Software\\"},
    {"a 259-character name, one too long for the buffer, is stepped over",
     {"C:\\" + std::string(255, 'A') + "\\", FOLDER + "EXCEL\\"},
     "C:\\Apps\\ZR5048 Emulation Software\\"},
    {"a matching name too long for the buffer is not matched on a cut-off part",
     {"C:\\" + std::string(270, 'A') + "\\ZR5048 Emulation Software\\EXCEL\\"},
     nullptr},
    {"a folder text of 247 characters still leaves room for the file names", {NameWithFolderOf(247)}, ""},
    {"a folder text of 248 characters does not fit the paths", {NameWithFolderOf(248)}, nullptr},
};

class FindInstallationTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(FindInstallationTest, FillsThePathsFromTheFirstMatchingName) {
    const LookupCase& c = GetParam();
    SCOPED_TRACE(c.what);
    FoldersKey key;
    for (const std::string& name : c.names)
        ASSERT_TRUE(key.Add(name));
    // Wine enumerates values sorted by name, Windows in the order they were written: the names of
    // each row are in both orders at once.
    ASSERT_EQ(key.Names(), c.names);

    INSTALLATION_PATHS paths = UntouchedPaths();

    const bool found = FindInstallation(&paths);

    ASSERT_EQ(found, c.folder != nullptr);
    if (!found) {
        EXPECT_STREQ(paths.szInstallFolder, UNTOUCHED);
        EXPECT_STREQ(paths.szExePath, UNTOUCHED);
        EXPECT_STREQ(paths.szLanguageIni, UNTOUCHED);
        return;
    }
    // An empty expected folder stands for the one name of the row less its EXCEL\.
    const std::string folder = *c.folder ? c.folder : c.names[0].substr(0, c.names[0].size() - 6);
    EXPECT_EQ(paths.szInstallFolder, folder);
    EXPECT_EQ(paths.szExePath, folder + "ZR5048Em.exe");
    EXPECT_EQ(paths.szLanguageIni, folder + "Language.ini");
}

INSTANTIATE_TEST_SUITE_P(Lookup,
                         FindInstallationTest,
                         ::testing::ValuesIn(LOOKUP_CASES),
                         [](const ::testing::TestParamInfo<LookupCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST(FindInstallation, AMissingKeyIsNoInstallation) {
    FoldersKey key;
    ASSERT_TRUE(key.RemoveKey());
    INSTALLATION_PATHS paths = UntouchedPaths();

    EXPECT_FALSE(FindInstallation(&paths));
    EXPECT_STREQ(paths.szInstallFolder, UNTOUCHED);
    EXPECT_STREQ(paths.szExePath, UNTOUCHED);
}

TEST(FindInstallation, ReadsTheKeyWithoutChangingIt) {
    FoldersKey key;
    ASSERT_TRUE(key.Add(FOLDER + "EXCEL\\"));
    ASSERT_TRUE(key.Add(FOLDER + "Images\\"));
    INSTALLATION_PATHS paths;

    ASSERT_TRUE(FindInstallation(&paths));
    ASSERT_TRUE(FindInstallation(&paths));

    EXPECT_EQ(key.Names(), (std::vector<std::string>{FOLDER + "EXCEL\\", FOLDER + "Images\\"}));
}

// On 64-bit Windows the Windows Installer records its folders in the 64-bit registry view, which a
// 32-bit process is redirected away from; the lookup reads that view first, then its own.
struct ViewCase {
    const char* what;
    const char* name64;  // null: nothing in that view
    const char* name32;
    const char* folder;  // null: not found
};

const ViewCase VIEW_CASES[] = {
    {"only the 64-bit view, as the Installer writes it", "C:\\A\\ZR5048 Emulation Software\\EXCEL\\", nullptr,
     "C:\\A\\ZR5048 Emulation Software\\"},
    {"only the 32-bit view", nullptr, "C:\\B\\ZR5048 Emulation Software\\EXCEL\\",
     "C:\\B\\ZR5048 Emulation Software\\"},
    {"both views with different folders: the 64-bit one wins", "C:\\A\\ZR5048 Emulation Software\\EXCEL\\",
     "C:\\B\\ZR5048 Emulation Software\\EXCEL\\", "C:\\A\\ZR5048 Emulation Software\\"},
    {"no match in the 64-bit view falls back to the 32-bit one", "C:\\Other\\",
     "C:\\B\\ZR5048 Emulation Software\\EXCEL\\", "C:\\B\\ZR5048 Emulation Software\\"},
    {"a case-different name in the 64-bit view is no match either", "C:\\A\\ZR5048 Emulation Software\\Excel\\",
     "C:\\B\\ZR5048 Emulation Software\\EXCEL\\", "C:\\B\\ZR5048 Emulation Software\\"},
    {"neither view", "C:\\Other\\", "D:\\Tool\\", nullptr},
};

class RegistryViews : public ::testing::TestWithParam<ViewCase> {};

TEST_P(RegistryViews, The64BitViewComesFirst) {
    if (!zr::test::RunsUnderWow64())
        GTEST_SKIP() << "one registry view only: a 32-bit prefix, or a 64-bit build";
    const ViewCase& c = GetParam();
    SCOPED_TRACE(c.what);
    FoldersKey key;
    if (c.name64) {
        ASSERT_TRUE(key.Add(c.name64, KEY_WOW64_64KEY));
    }
    if (c.name32) {
        ASSERT_TRUE(key.Add(c.name32, KEY_WOW64_32KEY));
    }
    // The two views really are apart here, as on Windows.
    ASSERT_EQ(key.Names(KEY_WOW64_64KEY).size(), c.name64 ? 1u : 0u);
    ASSERT_EQ(key.Names(KEY_WOW64_32KEY).size(), c.name32 ? 1u : 0u);

    INSTALLATION_PATHS paths = UntouchedPaths();

    const bool found = FindInstallation(&paths);

    ASSERT_EQ(found, c.folder != nullptr);
    EXPECT_STREQ(paths.szInstallFolder, found ? c.folder : UNTOUCHED);
    if (found) {
        EXPECT_EQ(paths.szExePath, std::string(c.folder) + "ZR5048Em.exe");
    }

    // The view it was found in, for the log: the 64-bit one is where folder A was registered.
    const E_REGISTRY_VIEW UNSET = static_cast<E_REGISTRY_VIEW>(-1);
    E_REGISTRY_VIEW view = UNSET;
    INSTALLATION_PATHS again = UntouchedPaths();
    ASSERT_EQ(FindInstallation(&again, &view), found);
    if (!found) {
        EXPECT_EQ(view, UNSET) << "untouched when nothing is found";
    } else {
        EXPECT_EQ(view, c.folder[3] == 'A' ? REGISTRY_VIEW_WOW64_64BIT : REGISTRY_VIEW_OWN);
    }
}

TEST(FindInstallation, SaysTheProcesssOwnViewWhenFoundThere) {
    FoldersKey key;
    ASSERT_TRUE(key.Add(FOLDER + "EXCEL\\"));
    INSTALLATION_PATHS paths = UntouchedPaths();
    E_REGISTRY_VIEW view = REGISTRY_VIEW_WOW64_64BIT;
    ASSERT_TRUE(FindInstallation(&paths, &view));
    // Under WOW64 the test's own view is the 32-bit one, which the tool reads second.
    EXPECT_EQ(view, REGISTRY_VIEW_OWN);
}

INSTANTIATE_TEST_SUITE_P(Wow64,
                         RegistryViews,
                         ::testing::ValuesIn(VIEW_CASES),
                         [](const ::testing::TestParamInfo<ViewCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

}  // namespace
