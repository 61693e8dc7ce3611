// The path forms the installer hands to Windows. Windows refuses a plain path of MAX_PATH characters
// or more, and a backup name beside a file of the deepest accepted installation folder is longer than
// that, so such names must go in the "\\?\" form. Wine does not enforce MAX_PATH, so an update of a
// deep installation succeeds under it whatever form is used: here the file functions the installer
// imports are wrapped to refuse what Windows would refuse, and to name what they were given.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "files/LongPath.h"
#include "format/PackageFormat.h"
#include "installer/PackageInstall.h"
#include "tests/support/IntrudingFile.h"
#include "tests/support/ScratchFolder.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using namespace zr;

using zr::test::ReadFileBytes;
using zr::test::ScratchFolder;
using zr::test::WriteFileBytes;

// --- the helpers themselves ------------------------------------------------------------------------

TEST(LongPathForm, PrefixesDrivePathsAndSharesOnce) {
    const struct {
        const wchar_t* full;
        const wchar_t* expected;
    } CASES[] = {
        {L"C:\\Apps\\a.xls", L"\\\\?\\C:\\Apps\\a.xls"},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"\\\\server\\share\\Apps\\a.xls", L"\\\\?\\UNC\\server\\share\\Apps\\a.xls"},
        {L"\\\\?\\C:\\Apps\\a.xls", L"\\\\?\\C:\\Apps\\a.xls"},
        {L"\\\\?\\UNC\\server\\share\\a", L"\\\\?\\UNC\\server\\share\\a"},
    };
    for (const auto& row : CASES) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.full)));
        EXPECT_EQ(zr::LongPathForm(row.full), row.expected);
    }
}

TEST(MakeFullPath, ResolvesAgainstTheWorkingFolderAndFoldsDotsAndSlashes) {
    ScratchFolder here(true);
    const std::wstring cwd = zr::WidenAnsi(here.Path().c_str());
    const std::wstring deep(300, L'd');  // longer than MAX_PATH: the helper has no limit of its own
    const struct {
        std::wstring path;
        std::wstring expected;
    } CASES[] = {
        {L"vupcab", cwd + L"vupcab"},
        {L"EXCEL\\.\\a.xls", cwd + L"EXCEL\\a.xls"},
        {L"EXCEL/Sub/../a.xls", cwd + L"EXCEL\\a.xls"},
        {L"C:\\Apps\\x\\..\\a.xls", L"C:\\Apps\\a.xls"},
        {L"\\\\server\\share\\Apps\\.\\a.xls", L"\\\\server\\share\\Apps\\a.xls"},
        {L"C:\\" + deep + L"\\a.xls", L"C:\\" + deep + L"\\a.xls"},
    };
    for (const auto& row : CASES) {
        SCOPED_TRACE(testing::PrintToString(row.path));
        std::wstring full = L"untouched";
        ASSERT_TRUE(zr::MakeFullPath(row.path, &full));
        EXPECT_EQ(full, row.expected);
    }
    std::wstring full = L"untouched";
    EXPECT_FALSE(zr::MakeFullPath(L"", &full));
    std::wstring folder;
    ASSERT_TRUE(zr::FullFolderPath(L"EXCEL", &folder));
    EXPECT_EQ(folder, cwd + L"EXCEL\\");
    ASSERT_TRUE(zr::FullFolderPath(L"C:\\Apps\\", &folder));
    EXPECT_EQ(folder, L"C:\\Apps\\");
}

// --- what the installer hands to Windows ----------------------------------------------------------

// Names given to the wrapped functions, and those refused as Windows would.
std::vector<std::wstring> g_given;
std::vector<std::wstring> g_refused;

bool PassesWindowsLimit(const wchar_t* path) {
    if (path == nullptr)
        return true;
    g_given.push_back(path);
    if (std::wcsncmp(path, L"\\\\?\\", 4) == 0 || std::wcslen(path) < MAX_PATH)
        return true;
    g_refused.push_back(path);
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

decltype(&::CreateFileW) g_createFile;
decltype(&::MoveFileExW) g_moveFileEx;
decltype(&::DeleteFileW) g_deleteFile;
decltype(&::GetFileAttributesW) g_getAttributes;
decltype(&::SetFileAttributesW) g_setAttributes;
decltype(&::CreateDirectoryW) g_createDirectory;

HANDLE WINAPI LimitedCreateFile(LPCWSTR path, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD f, HANDLE t) {
    return PassesWindowsLimit(path) ? g_createFile(path, a, s, sa, c, f, t) : INVALID_HANDLE_VALUE;
}
BOOL WINAPI LimitedMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return PassesWindowsLimit(from) && PassesWindowsLimit(to) ? g_moveFileEx(from, to, flags) : FALSE;
}
BOOL WINAPI LimitedDeleteFile(LPCWSTR path) {
    return PassesWindowsLimit(path) ? g_deleteFile(path) : FALSE;
}
DWORD WINAPI LimitedGetAttributes(LPCWSTR path) {
    return PassesWindowsLimit(path) ? g_getAttributes(path) : INVALID_FILE_ATTRIBUTES;
}
BOOL WINAPI LimitedSetAttributes(LPCWSTR path, DWORD attributes) {
    return PassesWindowsLimit(path) ? g_setAttributes(path, attributes) : FALSE;
}
BOOL WINAPI LimitedCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES sa) {
    return PassesWindowsLimit(path) ? g_createDirectory(path, sa) : FALSE;
}

// Swaps the kernel32 import slots of this executable (where the installer is linked in) for the
// wrappers above while it lives.
class WindowsPathLimit {
  public:
    WindowsPathLimit() {
        g_given.clear();
        g_refused.clear();
        Swap("CreateFileW", reinterpret_cast<void*>(&LimitedCreateFile), reinterpret_cast<void**>(&g_createFile));
        Swap("MoveFileExW", reinterpret_cast<void*>(&LimitedMoveFileEx), reinterpret_cast<void**>(&g_moveFileEx));
        Swap("DeleteFileW", reinterpret_cast<void*>(&LimitedDeleteFile), reinterpret_cast<void**>(&g_deleteFile));
        Swap("GetFileAttributesW", reinterpret_cast<void*>(&LimitedGetAttributes),
             reinterpret_cast<void**>(&g_getAttributes));
        Swap("SetFileAttributesW", reinterpret_cast<void*>(&LimitedSetAttributes),
             reinterpret_cast<void**>(&g_setAttributes));
        Swap("CreateDirectoryW", reinterpret_cast<void*>(&LimitedCreateDirectory),
             reinterpret_cast<void**>(&g_createDirectory));
    }
    ~WindowsPathLimit() {
        for (const SWAPPED& swapped : m_swapped)
            Write(swapped.slot, swapped.original);
    }
    WindowsPathLimit(const WindowsPathLimit&) = delete;
    WindowsPathLimit& operator=(const WindowsPathLimit&) = delete;

    // Names the installer uses: wrapped functions that are not imported cannot be watched.
    bool Watches(const char* function) const {
        for (const SWAPPED& swapped : m_swapped) {
            if (swapped.name == function)
                return true;
        }
        return false;
    }

  private:
    struct SWAPPED {
        std::string name;
        void** slot;
        void* original;
    };

    static void Write(void** slot, void* value) {
        DWORD old = 0;
        ::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
        *slot = value;
        ::VirtualProtect(slot, sizeof *slot, old, &old);
    }

    void Swap(const char* function, void* wrapper, void** original) {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             module->Name != 0; ++module) {
            if (_stricmp(reinterpret_cast<const char*>(base + module->Name), "kernel32.dll") != 0)
                continue;
            const DWORD namesAt = module->OriginalFirstThunk ? module->OriginalFirstThunk : module->FirstThunk;
            auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + namesAt);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                    continue;
                void** slot = reinterpret_cast<void**>(&slots->u1.Function);
                *original = *slot;
                m_swapped.push_back({function, slot, *slot});
                Write(slot, wrapper);
                return;
            }
        }
    }

    std::vector<SWAPPED> m_swapped;
};

std::string Listed(const std::vector<std::wstring>& names) {
    std::string text;
    for (const std::wstring& name : names)
        text += "\n  " + testing::PrintToString(name);
    return text;
}

TEST(InstallerPathForms, ADeepInstallationIsUpdatedAndPutBackUnderWindowsPathLimit) {
    ScratchFolder root, work(true);
    // The deepest installation folder the lookup accepts: the reserved name of a backup beside its
    // files, and the record, pass MAX_PATH.
    std::string deep = root.Path();
    while (deep.size() < 247) {
        const std::size_t room = 247 - deep.size() - 1;
        deep += std::string(room <= 40 ? room : room >= 42 ? 40 : 38, 'd') + "\\";
        ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), nullptr)) << deep.size();
    }
    ASSERT_EQ(deep.size(), 247u);
    ASSERT_TRUE(WriteFileBytes(deep + "a", "old a"));
    ASSERT_TRUE(WriteFileBytes(deep + "b", "old b"));
    zr::PackageContents contents;
    contents.version = "1.05";
    contents.language = 1;
    contents.entries = {{"a", "", "new a"}, {"b", "", "new b"}, {"c", "", "new c"}};
    ASSERT_TRUE(WriteFileBytes(work / "vupcab", zr::BuildPackageBytes(contents)));

    WindowsPathLimit limit;
    for (const char* function : {"CreateFileW", "MoveFileExW", "DeleteFileW", "GetFileAttributesW"})
        ASSERT_TRUE(limit.Watches(function)) << function << " is not imported: the installer's names go unseen";
    {
        // The last entry fails, after two were placed (another program's file stands at its new name):
        // the rollback too must reach the deep names.
        contents.entries = {{"a", "", "new a"}, {"b", "", "new b"}, {"c", "", "new c"}};
        ASSERT_TRUE(WriteFileBytes(work / "vupcab", zr::BuildPackageBytes(contents)));
        zr::test::IntrudingFile intruder(deep + "c");
        EXPECT_EQ(zr::InstallPackage(PACKAGE_FILE_NAME, deep.c_str(), nullptr, &intruder), INSTALL_FAILED);
        EXPECT_TRUE(intruder.Intruded());
    }
    EXPECT_EQ(g_refused, std::vector<std::wstring>()) << "refused by Windows:" << Listed(g_refused);
    EXPECT_EQ(ReadFileBytes(deep + "a"), "old a");
    EXPECT_EQ(ReadFileBytes(deep + "b"), "old b");
    EXPECT_FALSE(zr::test::FileExists(deep + "c"));

    g_refused.clear();
    EXPECT_EQ(zr::InstallPackage(PACKAGE_FILE_NAME, deep.c_str(), nullptr, nullptr), INSTALL_DONE);
    EXPECT_EQ(g_refused, std::vector<std::wstring>()) << "refused by Windows:" << Listed(g_refused);
    EXPECT_EQ(ReadFileBytes(deep + "a"), "new a");
    EXPECT_EQ(ReadFileBytes(deep + "b"), "new b");
    EXPECT_EQ(ReadFileBytes(deep + "c"), "new c");
    // The check saw the names that matter: some the installer gave are past MAX_PATH.
    EXPECT_TRUE(
        std::any_of(g_given.begin(), g_given.end(), [](const std::wstring& name) { return name.size() >= MAX_PATH; }))
        << "no name past MAX_PATH reached the wrapped functions:" << Listed(g_given);
}

}  // namespace
