// The executable's icon group and version resource, read back from the built product.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/ProductProcess.h"

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Resources, IconGroup128HoldsTheThreeImages) {
    HMODULE product = ::LoadLibraryExA(zr::test::ProductExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(product, nullptr);
    HRSRC group =
        ::FindResourceExA(product, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, MAKEINTRESOURCEA(IDI_APP_ICON), 0x0411);
    ASSERT_NE(group, nullptr);
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(product, group)));
    WORD count = 0;
    std::memcpy(&count, data + 4, sizeof count);
    ASSERT_EQ(count, 3);
    const struct {
        int size, bitCount;
        DWORD bytes;
        WORD id;
    } expected[] = {{32, 4, 744, 1}, {16, 4, 296, 2}, {32, 8, 2216, 3}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        GroupIconEntry entry;
        std::memcpy(&entry, data + 6 + i * sizeof entry, sizeof entry);
        EXPECT_EQ(entry.width, expected[i].size);
        EXPECT_EQ(entry.height, expected[i].size);
        EXPECT_EQ(entry.bitCount, expected[i].bitCount);
        EXPECT_EQ(entry.bytes, expected[i].bytes);
        EXPECT_EQ(entry.id, expected[i].id);
        HRSRC image = ::FindResourceExA(product, MAKEINTRESOURCEA(3) /* RT_ICON */, MAKEINTRESOURCEA(entry.id), 0x0411);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(::SizeofResource(product, image), expected[i].bytes);
    }
    ::FreeLibrary(product);
}

TEST(Resources, VersionResourceIs1201InOneJapaneseTable) {
    const std::string exe = zr::test::ProductExePath();
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(exe.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(exe.c_str(), handle, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0x28u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    for (const char* key : {"FileVersion", "ProductVersion"}) {
        SCOPED_TRACE(key);
        char* text = nullptr;
        ASSERT_TRUE(::VerQueryValueA(block.data(), (std::string("\\StringFileInfo\\041104b0\\") + key).c_str(),
                                     reinterpret_cast<void**>(&text), &length));
        EXPECT_STREQ(text, "1, 2, 0, 1");
    }
    DWORD* translation = nullptr;
    ASSERT_TRUE(
        ::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(LOWORD(*translation), 0x0411);
    EXPECT_EQ(HIWORD(*translation), 0x04B0);
}

TEST(Resources, ManifestAsksForElevationAndNothingElse) {
    HMODULE product = ::LoadLibraryExA(zr::test::ProductExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(product, nullptr);
    // The id the loader reads an executable's manifest from, language neutral.
    HRSRC found = ::FindResourceExA(product, MAKEINTRESOURCEA(24) /* RT_MANIFEST */, MAKEINTRESOURCEA(1), 0);
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(product, found)));
    const std::string manifest(data, ::SizeofResource(product, found));
    ::FreeLibrary(product);

    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"),
              std::string::npos)
        << manifest;
    // Common Controls 6 and DPI awareness would change how the dialog looks.
    for (const char* absent : {"Common-Controls", "dependentAssembly", "dpiAware", "dpiAwareness"})
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
}

}  // namespace
