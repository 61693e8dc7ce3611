// A release folder as package entries: every file below it, named by its path below the folder in
// the package's code page, in the order the tool compares names. Whatever a package cannot carry is
// refused here, before any package is written, with each offending file named.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zr {

struct RELEASE_FILE {
    std::string name;  // the entry name, in the package's code page
    std::filesystem::path source;
    std::uint64_t size = 0;
};

struct RELEASE_TREE {
    std::vector<RELEASE_FILE> files;    // sorted by NameKey, then by the name's bytes
    std::vector<std::string> refusals;  // one line per offending file or limit; empty when all is carried
};

// Walks `folder` without following links. False only when the folder itself cannot be read (with
// `error`); refused files are listed in tree->refusals. The 255-file limit is not judged here (a diff
// carries fewer files than its tree).
bool ReadReleaseTree(const std::filesystem::path& folder, unsigned codePage, RELEASE_TREE* tree, std::string* error);

// Whether two files hold the same bytes.
bool SameFileContents(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace zr
