// What a folder holds, to compare before and after: every file and folder below it by relative name,
// with a checksum of its contents, its size, its file index and its number of links, so that a file
// put back with the same bytes but another identity, or one that came to share its data with another
// name, shows as a change. Files are read in pieces, so large installations fit a 32-bit test process.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zr::test {

struct FILE_STATE {
    bool bFolder = false;
    std::uint64_t hash = 0;  // FNV-1a of the contents
    std::uint64_t size = 0;
    std::uint64_t index = 0;  // volume serial and file index folded together
    DWORD links = 0;
};
bool operator==(const FILE_STATE& a, const FILE_STATE& b);

using FileManifest = std::map<std::string, FILE_STATE>;  // relative name; folders end in a backslash

// Every file and folder below `folder` (with or without a trailing backslash).
FileManifest TakeManifest(const std::string& folder);

// The checksum FILE_STATE::hash holds for `bytes`.
std::uint64_t ContentHash(const std::string& bytes);

// Whether `now` equals `before` in every respect; the failure names each difference.
::testing::AssertionResult Unchanged(const FileManifest& before, const FileManifest& now);
// Whether `now` holds exactly the names of `expected` with exactly those contents (identities are not
// compared: an updated file is a new one).
::testing::AssertionResult HoldsContents(const FileManifest& now, const std::map<std::string, std::uint64_t>& expected);
// The contents of `manifest`, as HoldsContents expects them.
std::map<std::string, std::uint64_t> ContentsOf(const FileManifest& manifest);

// Whether no file of `inside` shares its data with another name: one link each, and no file index that
// a file of any of `outside` has.
::testing::AssertionResult SharesNoData(const FileManifest& inside, const std::vector<FileManifest>& outside);

}  // namespace zr::test
