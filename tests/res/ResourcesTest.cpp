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

std::string ProductManifest() {
    HMODULE product = ::LoadLibraryExA(zr::test::ProductExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!product)
        return "";
    // The id the loader reads an executable's manifest from, language neutral.
    HRSRC found = ::FindResourceExA(product, MAKEINTRESOURCEA(24) /* RT_MANIFEST */, MAKEINTRESOURCEA(1), 0);
    std::string manifest;
    if (found)
        manifest.assign(static_cast<const char*>(::LockResource(::LoadResource(product, found))),
                        ::SizeofResource(product, found));
    ::FreeLibrary(product);
    return manifest;
}

TEST(Resources, ManifestAsksForElevationPerMonitorScalingAndKnowsTodaysWindows) {
    const std::string manifest = ProductManifest();
    ASSERT_FALSE(manifest.empty());
    const char* present[] = {
        "<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>",
        // Per-monitor scaling: Windows 10 1703 on takes the first, 1607 the second; older systems read
        // dpiAware, where true/pm is per-monitor on 8.1 and system-wide before.
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, "
        "PerMonitor</dpiAwareness>",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
        "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">",
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",  // Vista
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // 10 and 11
    };
    for (const char* text : present)
        EXPECT_NE(manifest.find(text), std::string::npos) << text << " is not in\n" << manifest;
    // Common Controls 6 would change how the controls look: the classic ones stay.
    for (const char* absent : {"Common-Controls", "dependentAssembly", "6595b64144ccf1df"})
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
}

}  // namespace
