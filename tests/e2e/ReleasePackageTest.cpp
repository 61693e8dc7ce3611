// A release as a script makes it, end to end: a release folder becomes a package through the package
// tool built for Windows (`mkvupcab create --from`, `mkvupcab diff`), and the real tool, run as a
// deployment runs it (/quiet), puts exactly those bytes into an installation.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "tests/support/FileManifest.h"
#include "tests/support/ImitationInstallation.h"
#include "tests/support/PackageTool.h"
#include "tests/support/ProductProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

using zr::test::FileManifest;
using zr::test::PROGRAM_RUN;
using zr::test::ScratchFolder;
using JapaneseRelease = zr::test::JapaneseLocaleTest;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// `text` in code page 932, as the Japanese run's narrow file functions and the package take names.
std::string Cp932(const wchar_t* text) {
    char bytes[MAX_PATH] = {};
    BOOL lost = FALSE;
    const int n = ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text, -1, bytes, sizeof bytes, nullptr, &lost);
    return n > 0 && !lost ? std::string(bytes) : std::string();
}

// A file of `size` bytes that costs next to nothing to make: the file system leaves it sparse, except
// for a marker naming its offset every 16 MiB (off the block boundaries) and its last bytes, so that
// a payload cut, shifted or mixed up with another shows in its checksum.
bool WriteLargeFile(const std::string& path, std::uint64_t size) {
    zr::ScopedKernelHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    for (std::uint64_t at = 0; at + 64 < size; at += (16u << 20) + 7) {
        const std::string marker = "offset " + std::to_string(at) + " of " + path;
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(at);
        DWORD written = 0;
        if (!::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) ||
            !::WriteFile(file.get(), marker.data(), static_cast<DWORD>(marker.size()), &written, nullptr))
            return false;
    }
    const char end[] = "the last bytes.";
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size - (sizeof end - 1));
    DWORD written = 0;
    return ::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) &&
           ::WriteFile(file.get(), end, sizeof end - 1, &written, nullptr) && written == sizeof end - 1;
}

// The installation's contents as `before` with every file of `release` laid over it.
std::map<std::string, std::uint64_t> LaidOver(const FileManifest& before, const FileManifest& release) {
    std::map<std::string, std::uint64_t> contents = zr::test::ContentsOf(before);
    for (const auto& [name, hash] : zr::test::ContentsOf(release))
        contents[name] = hash;
    return contents;
}

::testing::AssertionResult UpdatesQuietly(const std::string& work) {
    PROGRAM_RUN run;
    const ::testing::AssertionResult ran =
        zr::test::RunsToTheEnd(zr::test::ProductExePath(), "/quiet /log \"" + work + "deploy log.txt\"", work, &run);
    if (!ran)
        return ran;
    if (run.exitCode != 0)
        return ::testing::AssertionFailure() << "the tool ended with " << run.exitCode << "; its log:\n"
                                             << zr::test::ReadFileBytes(work + "deploy log.txt");
    return ::testing::AssertionSuccess();
}

// A Japanese release of nested folders, names whose second byte is a backslash in code page 932 (ソ, 表),
// an empty file and one of 300 MiB: the installation holds exactly the release's bytes afterwards, beside
// what it held that the release does not name. The Language code 0 package carries its names in code
// page 932, which only the Japanese run reads them in.
TEST_F(JapaneseRelease, ComesFromAFolderAndIsInstalledByteForByte) {
    ASSERT_EQ(::GetACP(), 932u);
    constexpr std::uint64_t LARGE = 300ull << 20;
    struct ReleaseFile {
        int row;
        const wchar_t* name;
        const char* bytes;  // null: the large file
    };
    const ReleaseFile files[] = {
        {1, L"ReadMe.txt", "1.05 の変更点\r\n"},          {2, L"資料\\報告書.xls", "報告書 1.05"},
        {3, L"ソフト\\表\\設定.ini", "[表]\r\nソ=1\r\n"}, {4, L"ソフト\\空.dat", ""},
        {5, L"Images\\大きな画像.bmp", nullptr},
    };
    ScratchFolder work;
    const std::string release = work / "release\\";  // given to the tool without the backslash, before a quote
    zr::test::ImitationInstallation installed("1.4.0.0", 0);
    ASSERT_TRUE(installed.Ok());
    // The previous release's installation: its folders (the tool creates none) and an older report.
    for (const wchar_t* folder : {L"資料", L"ソフト", L"ソフト\\表"})
        ASSERT_TRUE(::CreateDirectoryA((installed.Folder() + Cp932(folder)).c_str(), nullptr));
    ASSERT_TRUE(zr::test::WriteFileBytes(installed.Folder() + Cp932(L"資料\\報告書.xls"), "報告書 1.04"));
    std::uint64_t total = 0;
    for (const ReleaseFile& file : files) {
        SCOPED_TRACE(file.row);
        const std::string path = release + Cp932(file.name);
        ASSERT_NE(path, release);
        ASSERT_TRUE(zr::test::WriteFileBytes(path, file.bytes ? file.bytes : ""));  // and its folders
        if (!file.bytes) {
            ASSERT_TRUE(WriteLargeFile(path, LARGE));
        }
        total += file.bytes ? std::string(file.bytes).size() : LARGE;
    }
    const FileManifest ofRelease = zr::test::TakeManifest(release);
    const FileManifest before = zr::test::TakeManifest(installed.Folder());

    PROGRAM_RUN create;
    ASSERT_TRUE(zr::test::RunsToTheEnd(zr::test::PackageToolPath(),
                                       "create vupcab --version 1.05 --language 0 --from \"" + work / "release" + "\"",
                                       work.Path(), &create));
    ASSERT_EQ(create.exitCode, 0u) << create.output;
    EXPECT_TRUE(Contains(create.output, "created entries=5 bytes=" + std::to_string(total) + " key=none out=vupcab"))
        << create.output;
    ASSERT_TRUE(UpdatesQuietly(work.Path()));

    EXPECT_TRUE(zr::test::HoldsContents(zr::test::TakeManifest(installed.Folder()), LaidOver(before, ofRelease)));
}

// One release to the next: the package `diff` makes carries only what was added or changed (by content,
// so a change that keeps the size counts), and after the update the installation holds NEW's bytes
// wherever NEW has a file; the files it does not carry are left as they were, not rewritten. A file NEW
// no longer has stays (a package cannot remove one), and a folder OLD has empty takes a new file. Both
// locale runs: the names are ASCII.
TEST(ReleaseDiff, UpdatesAnInstallationOfTheOldReleaseToTheNew) {
    const std::string oldExe = zr::test::ReadFileBytes(zr::test::StandInExePath("1.4.0.0"));
    const std::string newExe = zr::test::ReadFileBytes(zr::test::StandInExePath("1.5.0.0"));
    ASSERT_FALSE(oldExe.empty());
    ASSERT_FALSE(newExe.empty());
    struct ReleaseFile {
        int row;
        const char* name;
        std::string oldBytes, newBytes;  // "-": not in that release
    };
    const ReleaseFile files[] = {
        {1, "ZR5048Em.exe", oldExe, newExe},                     // changed
        {2, "EXCEL\\Report.xls", "report 1.04", "report 1.05"},  // changed, same size
        {3, "EXCEL\\Template.xlt", "template", "template"},      // unchanged
        {4, "Images\\Logo.bmp", "logo", "logo"},                 // unchanged
        {5, "Images\\Old.bmp", "old picture", "-"},              // removed
        {6, "Images\\Banner.bmp", "-", "banner"},                // added in a folder OLD has
        {7, "ReadMe.txt", "-", "1.05 readme"},                   // added at the top
        {8, "EXCEL\\Empty.xls", "", ""},                         // unchanged, empty
        {9, "Manual\\Guide.txt", "-", "guide"},                  // added in a folder OLD has empty
    };
    const std::vector<std::string> carried = {"EXCEL\\Report.xls", "Images\\Banner.bmp", "Manual\\Guide.txt",
                                              "ReadMe.txt", "ZR5048Em.exe"};

    ScratchFolder work;
    zr::test::ImitationInstallation installed("1.4.0.0", 1);
    ASSERT_TRUE(installed.Ok());
    ASSERT_TRUE(::CreateDirectoryA((work / "old").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((work / "old\\Manual").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((installed.Folder() + "Manual").c_str(), nullptr));
    for (const ReleaseFile& file : files) {
        SCOPED_TRACE(file.row);
        if (file.oldBytes != "-") {
            ASSERT_TRUE(zr::test::WriteFileBytes(work / "old\\" + file.name, file.oldBytes));
            ASSERT_TRUE(zr::test::WriteFileBytes(installed.Folder() + file.name, file.oldBytes));
        }
        if (file.newBytes != "-") {
            ASSERT_TRUE(zr::test::WriteFileBytes(work / "new\\" + file.name, file.newBytes));
        }
    }
    const FileManifest ofNew = zr::test::TakeManifest(work / "new");
    const FileManifest before = zr::test::TakeManifest(installed.Folder());

    PROGRAM_RUN diff;
    ASSERT_TRUE(zr::test::RunsToTheEnd(zr::test::PackageToolPath(),
                                       "diff vupcab --version 1.05 --language 1 old new --ignore-removed", work.Path(),
                                       &diff));
    ASSERT_EQ(diff.exitCode, 0u) << diff.output;
    EXPECT_TRUE(Contains(diff.output, "diff added=3 changed=2 unchanged=3 removed=1 out=vupcab")) << diff.output;
    zr::PackageListing listing;
    std::string error;
    ASSERT_TRUE(zr::ReadPackageListing(work / "vupcab", &listing, &error)) << error;
    std::vector<std::string> names;
    for (const zr::PackageListing::Record& record : listing.records)
        names.push_back(record.name);
    EXPECT_EQ(names, carried);
    EXPECT_EQ(listing.version, "1.05");

    ASSERT_TRUE(UpdatesQuietly(work.Path()));
    const FileManifest after = zr::test::TakeManifest(installed.Folder());
    EXPECT_TRUE(zr::test::HoldsContents(after, LaidOver(before, ofNew)));
    for (const ReleaseFile& file : files) {
        SCOPED_TRACE(file.row);
        const bool isCarried = std::find(carried.begin(), carried.end(), file.name) != carried.end();
        if (!isCarried && file.oldBytes != "-") {
            EXPECT_TRUE(after.at(file.name) == before.at(file.name)) << file.name << " was rewritten";
        }
    }
}

}  // namespace
