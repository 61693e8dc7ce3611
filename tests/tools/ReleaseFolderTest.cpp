// Packages made from release folders on the release machine: every file below the folder under its
// name in the package's code page, in the tool's order; everything a package cannot carry refused with
// the file named and no package left behind, also when the run is killed. (The tool installing such a
// package is checked end to end, tests/e2e/ReleasePackageTest.cpp.)
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tools/vupcab/PackageWriter.h"
#include "tools/vupcab/ReleasePackage.h"

namespace {

namespace fs = std::filesystem;

// A folder for one test, removed afterwards.
class Scratch {
  public:
    explicit Scratch(const std::string& name) : m_path(fs::path(ZR_TEST_SCRATCH) / name) {
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~Scratch() { fs::remove_all(m_path); }
    const fs::path& Path() const { return m_path; }
    fs::path operator/(const std::string& relative) const { return m_path / fs::u8path(relative); }

  private:
    fs::path m_path;
};

bool Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file of `size` bytes that takes no disk: a hole.
bool Sparse(const fs::path& path, std::uintmax_t size) {
    fs::create_directories(path.parent_path());
    { std::ofstream create(path, std::ios::binary); }
    std::error_code failure;
    fs::resize_file(path, size, failure);
    return !failure;
}

bool MakePackage(const fs::path& folder,
                 int language,
                 const fs::path& out,
                 std::vector<std::string>* refusals,
                 std::string* error) {
    zr::PackageContents contents;
    contents.version = "1.05";
    contents.language = language;
    std::string keyId;
    return zr::EntriesFromFolder(folder, &contents, refusals, error) &&
           zr::CreatePackageFile(contents, out.string(), "", &keyId, error);
}

// Everything in `folder` but the release tree below "release".
std::vector<std::string> Beside(const Scratch& scratch) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(scratch.Path())) {
        if (item.path().filename() != "release")
            names.push_back(item.path().filename().string());
    }
    return names;
}

TEST(ReleaseFolder, EveryFileBecomesAnEntryInTheToolsOrderWithItsBytes) {
    Scratch scratch("release-round-trip");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"ZR5048Em.exe", "exe"},
        {"EXCEL/Report.xls", "report"},
        {"EXCEL/sub/deeper/a.xls", "deep"},
        {"Images/ポスター.bmp", "poster"},  // 83 7C: a second byte that looks like '|'
        {"Images/表示.bmp", "display"},     // 95 5C: a second byte that looks like '\'
        {"empty.txt", ""},
        {"b.txt", "b"},
    };
    for (const auto& file : files)
        ASSERT_TRUE(Write(scratch / ("release/" + file.first), file.second));
    std::vector<std::string> refusals;
    std::string error;
    ASSERT_TRUE(MakePackage(scratch / "release", 0, scratch / "vupcab", &refusals, &error))
        << error << (refusals.empty() ? "" : refusals[0]);

    zr::PackageListing listing;
    ASSERT_TRUE(zr::ReadPackageListing((scratch / "vupcab").string(), &listing, &error)) << error;
    // Sorted as the tool compares names: ASCII letters without case, second bytes as they are.
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"b.txt", "b"},
        {"empty.txt", ""},
        {"EXCEL\\Report.xls", "report"},
        {"EXCEL\\sub\\deeper\\a.xls", "deep"},
        {"Images\\\x83\x7C\x83\x58\x83\x5E\x81\x5B.bmp", "poster"},
        {"Images\\\x95\x5C\x8E\xA6.bmp", "display"},
        {"ZR5048Em.exe", "exe"},
    };
    ASSERT_EQ(listing.records.size(), expected.size());
    const std::string package = Read(scratch / "vupcab");
    std::size_t at = 12 + 36 * expected.size();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(listing.records[i].name, expected[i].first);
        EXPECT_EQ(package.substr(at, listing.records[i].size), expected[i].second);
        at += listing.records[i].size;
    }
    EXPECT_EQ(at, package.size());
    EXPECT_EQ(Beside(scratch), std::vector<std::string>{"vupcab"}) << "no partial file left";
}

TEST(ReleaseFolder, WhatAPackageCannotCarryIsRefusedByNameAndNothingIsWritten) {
    const struct {
        const char* what;
        const char* file;  // the offending file, as the refusal must name it
        const char* says;
        int language;
        bool (*make)(const Scratch&);
    } cases[] = {
        {"not in code page 932", "EXCEL/café.xls", "cannot be written exactly in code page 932", 0,
         [](const Scratch& s) { return Write(s / "release/EXCEL/café.xls", "x"); }},
        {"Japanese in code page 1252", "ポ.txt", "code page 1252", 1,
         [](const Scratch& s) { return Write(s / "release/ポ.txt", "x"); }},
        {"not valid UTF-8", "bad\xFF.txt", "cannot be written exactly", 0,
         [](const Scratch& s) { return Write(s.Path() / "release" / "bad\xFF.txt", "x"); }},
        {"32 bytes", "EXCEL/abcdefghijklmnopqrstuvwxyz", "32 bytes", 1,
         [](const Scratch& s) { return Write(s / "release/EXCEL/abcdefghijklmnopqrstuvwxyz", "x"); }},
        {"32 bytes in code page 932", "Images/ああああああああああああ.b", "33 bytes in code page 932", 0,
         [](const Scratch& s) { return Write(s / "release/Images/ああああああああああああ.b", "x"); }},
        {"over 4 GiB", "big.bin", "over the 4 GiB", 1,
         [](const Scratch& s) { return Sparse(s / "release/big.bin", 0x100000000ull); }},
        {"a symbolic link to a file", "link.txt", "a link", 1,
         [](const Scratch& s) {
             return Write(s / "release/a.txt", "a") && ::symlink("a.txt", (s / "release/link.txt").c_str()) == 0;
         }},
        {"a symbolic link to a folder", "EXCEL/linked", "a link", 1,
         [](const Scratch& s) {
             return Write(s / "release/EXCEL/a.xls", "a") && ::symlink("..", (s / "release/EXCEL/linked").c_str()) == 0;
         }},
        {"a fifo", "pipe", "a special file", 1,
         [](const Scratch& s) {
             fs::create_directories(s / "release");
             return ::mkfifo((s / "release/pipe").c_str(), 0600) == 0;
         }},
        {"a device name", "EXCEL/nul.xls", "device name", 1,
         [](const Scratch& s) { return Write(s / "release/EXCEL/nul.xls", "x"); }},
        {"names that differ only in case", "readme.TXT", "ignores the case", 1,
         [](const Scratch& s) { return Write(s / "release/README.txt", "a") && Write(s / "release/readme.TXT", "b"); }},
        {"256 files", "release\"", "files, a package carries at most 255", 1,
         [](const Scratch& s) {
             for (int i = 0; i < 256; ++i) {
                 if (!Write(s / ("release/f" + std::to_string(i)), ""))
                     return false;
             }
             return true;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch scratch("release-refused");
        ASSERT_TRUE(c.make(scratch));
        ASSERT_TRUE(Write(scratch / "release/good.txt", "good"));
        std::vector<std::string> refusals;
        std::string error;
        EXPECT_FALSE(MakePackage(scratch / "release", c.language, scratch / "vupcab", &refusals, &error));
        ASSERT_EQ(refusals.size(), 1u) << error;
        EXPECT_NE(refusals[0].find(c.file), std::string::npos) << refusals[0];
        EXPECT_NE(refusals[0].find(c.says), std::string::npos) << refusals[0];
        EXPECT_EQ(Beside(scratch), std::vector<std::string>{});
    }
}

TEST(ReleaseFolder, AKilledCreateLeavesNoPackage) {
    Scratch scratch("release-killed");
    ASSERT_TRUE(Sparse(scratch / "release/big.bin", 1ull << 30));
    const fs::path out = scratch / "vupcab";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl(ZR_MKVUPCAB, ZR_MKVUPCAB, "create", out.c_str(), "--version", "1.05", "--language", "1", "--from",
                (scratch / "release").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Killed as soon as it writes: the package's name must not stand on its half.
    bool writing = false;
    for (int i = 0; i < 20000 && !writing; ++i) {
        writing = Beside(scratch).size() == 1;
        if (!writing)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(writing) << "the create never began to write";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the create ended before it was killed";
    EXPECT_FALSE(fs::exists(out));
    const std::vector<std::string> left = Beside(scratch);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].rfind("vupcab.partial-", 0), 0u) << left[0];
}

TEST(ReleaseFolder, AFailedCreateKeepsAnEarlierPackageAndSignsBeforeTheNameIsGiven) {
    Scratch scratch("release-replaced");
    ASSERT_TRUE(Write(scratch / "vupcab", "the earlier package"));
    ASSERT_TRUE(Write(scratch / "release/a.txt", "a"));
    zr::PackageContents contents;
    contents.version = "1.05";
    contents.language = 1;
    std::vector<std::string> refusals;
    std::string error, keyId;
    ASSERT_TRUE(zr::EntriesFromFolder(scratch / "release", &contents, &refusals, &error));
    EXPECT_FALSE(
        zr::CreatePackageFile(contents, (scratch / "vupcab").string(), (scratch / "no.key").string(), &keyId, &error));
    EXPECT_EQ(Read(scratch / "vupcab"), "the earlier package");

    ASSERT_TRUE(zr::CreatePackageFile(contents, (scratch / "vupcab").string(),
                                      std::string(ZR_TEST_KEYS) + "/test-first.key", &keyId, &error))
        << error;
    EXPECT_EQ(keyId.size(), 16u);
    EXPECT_EQ(Read(scratch / "vupcab").substr(Read(scratch / "vupcab").size() - 116, 8), "ZRVUPSIG");
    EXPECT_EQ(Beside(scratch), (std::vector<std::string>{"vupcab"}));
}

// The command's output and exit code, run by its path.
int RunTool(const std::string& arguments, std::string* output) {
    std::FILE* pipe = ::popen((std::string(ZR_MKVUPCAB) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output->append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ReleaseDiff, CarriesOnlyWhatWasAddedOrChangedByContentAndRefusesRemovals) {
    Scratch scratch("release-diff");
    const fs::path oldTree = scratch / "old", newTree = scratch / "new";
    ASSERT_TRUE(Write(oldTree / "ZR5048Em.exe", "exe 1.04"));
    ASSERT_TRUE(Write(oldTree / "EXCEL/Report.xls", "same"));
    ASSERT_TRUE(Write(oldTree / "EXCEL/Sized.xls", "abcd"));
    ASSERT_TRUE(Write(oldTree / "Images/Logo.bmp", "logo"));
    ASSERT_TRUE(Write(oldTree / "Gone.txt", "removed in the new release"));
    fs::create_directories(oldTree / "Help");                  // empty, as the installations of 1.04 have it
    ASSERT_TRUE(Write(newTree / "ZR5048Em.exe", "exe 1.05"));  // changed, same size
    ASSERT_TRUE(Write(newTree / "EXCEL/Report.xls", "same"));  // unchanged
    ASSERT_TRUE(Write(newTree / "EXCEL/Sized.xls", "abcde"));  // changed size
    ASSERT_TRUE(Write(newTree / "images/LOGO.bmp", "logo"));   // unchanged: the tool ignores the case
    ASSERT_TRUE(Write(newTree / "Help/index.htm", "help"));    // added
    ASSERT_TRUE(Write(newTree / "Help/表.htm", ""));           // added, empty

    std::string output;
    const std::string common = "--version 1.05 --language 0 \"" + oldTree.string() + "\" \"" + newTree.string() + "\"";
    const fs::path out = scratch / "vupcab";
    EXPECT_EQ(RunTool("diff \"" + out.string() + "\" " + common, &output), 1) << output;
    EXPECT_NE(output.find("removed   Gone.txt\n"), std::string::npos) << output;
    EXPECT_NE(output.find("diff added=2 changed=2 unchanged=2 removed=1 out=none\n"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(out));

    output.clear();
    ASSERT_EQ(RunTool("diff \"" + out.string() + "\" " + common + " --ignore-removed", &output), 0) << output;
    EXPECT_NE(output.find("diff added=2 changed=2 unchanged=2 removed=1 out=" + out.string() + "\n"), std::string::npos)
        << output;
    EXPECT_NE(output.find("created entries=4 bytes=17 key=none out="), std::string::npos) << output;
    zr::PackageListing listing;
    std::string error;
    ASSERT_TRUE(zr::ReadPackageListing(out.string(), &listing, &error)) << error;
    std::vector<std::string> names;
    for (const auto& record : listing.records)
        names.push_back(record.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"EXCEL\\Sized.xls", "Help\\index.htm", "Help\\\x95\x5C.htm", "ZR5048Em.exe"}));
    const std::string package = Read(out);
    EXPECT_EQ(package.substr(12 + 36 * 4), "abcdehelpexe 1.05");
}

// The tool creates no folders, so a file added in a folder the old release lacks would have every
// installation of it refuse the package: no package, each such file named. Folders match as the tool
// compares names, and an empty folder of the old release counts.
TEST(ReleaseDiff, RefusesAFileAddedInAFolderTheOldReleaseLacks) {
    Scratch scratch("release-diff-folders");
    const fs::path oldTree = scratch / "old", newTree = scratch / "new";
    ASSERT_TRUE(Write(oldTree / "Images/Logo.bmp", "logo"));
    fs::create_directories(oldTree / "Empty");
    ASSERT_TRUE(Write(newTree / "Images/Logo.bmp", "logo"));
    ASSERT_TRUE(Write(newTree / "IMAGES/Banner.bmp", "banner"));  // in Images for the tool
    ASSERT_TRUE(Write(newTree / "Empty/New.txt", "new"));
    ASSERT_TRUE(Write(newTree / "Manual/Guide.txt", "guide"));
    ASSERT_TRUE(Write(newTree / "Manual/表/Index.txt", "index"));

    std::string output;
    const fs::path out = scratch / "vupcab";
    EXPECT_EQ(RunTool("diff \"" + out.string() + "\" --version 1.05 --language 0 \"" + oldTree.string() + "\" \"" +
                          newTree.string() + "\"",
                      &output),
              1)
        << output;
    EXPECT_NE(output.find("refused \"Manual/Guide.txt\": its folder \"Manual\" is not in the old release"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("refused \"Manual/表/Index.txt\": its folder \"Manual/表\" is not"), std::string::npos)
        << output;
    EXPECT_NE(output.find("2 refusal(s)"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(out));
}

TEST(ReleaseCommands, EachHasHelpAndFailsWithItsReason) {
    const struct {
        const char* arguments;
        int exitCode;
        const char* says;
    } cases[] = {
        {"create --help", 0, "--from RELEASE"},
        {"diff --help", 0, "--ignore-removed"},
        {"check --help", 0, "INSTALLDIR"},
        {"create out --version 1.05 --language 1 --from /no/such/folder", 1, "is not a folder"},
        {"create out --version 1.05 --language 16 --from .", 1, "outside 0 to 15"},
        {"diff out --version 1.05 --language 1 /no/such/old .", 1, "is not a folder"},
        {"create out --version 1.05", 2, "usage:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string output;
        EXPECT_EQ(RunTool(c.arguments, &output), c.exitCode) << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
    }
    EXPECT_FALSE(fs::exists("out"));
}

}  // namespace
