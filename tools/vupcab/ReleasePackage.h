// Packages made from release trees: a whole release folder, or the files two releases differ in,
// written under a partial name and signed there, so that the package's own name only ever stands on
// a whole (and, with a key, signed) package.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/vupcab/PackageWriter.h"
#include "tools/vupcab/ReleaseTree.h"

namespace zr {

// Every file below `folder` as the entries of `contents` (version and language already set there;
// the names go into the code page of its language). False with `refusals` (each offending file named)
// or `error` when the folder cannot become a package.
bool EntriesFromFolder(const std::filesystem::path& folder,
                       PackageContents* contents,
                       std::vector<std::string>* refusals,
                       std::string* error);

// What changed from one release tree to the next, by entry name as the tool compares names.
struct TREE_DIFF {
    std::vector<RELEASE_FILE> added, changed;  // NEW's files, in NEW's order
    std::vector<std::string> unchanged;        // names, NEW's spelling
    std::vector<std::string> removed;          // names, OLD's spelling
};

// Compares `oldFolder` with `newFolder` by content. False with `refusals` or `error` as for
// EntriesFromFolder (only NEW's files must fit a package; OLD is only read); a file added in a folder
// OLD lacks is refused too, since the tool creates no folders (an empty folder in OLD counts).
bool DiffFolders(const std::filesystem::path& oldFolder,
                 const std::filesystem::path& newFolder,
                 unsigned codePage,
                 TREE_DIFF* diff,
                 std::vector<std::string>* refusals,
                 std::string* error);

// Writes `contents` to a partial name beside `outputPath`, signs it there with the private key file
// `privateKeyPath` when one is given, and renames it to `outputPath`. On false nothing stands at
// `outputPath` that was not there before, and the partial file is removed. *keyId receives the
// signing key's id in hexadecimal, or stays empty.
bool CreatePackageFile(const PackageContents& contents,
                       const std::string& outputPath,
                       const std::string& privateKeyPath,
                       std::string* keyId,
                       std::string* error);

// The payload bytes of `contents`, as a release script wants to see them.
std::uint64_t PayloadBytes(const PackageContents& contents);

}  // namespace zr
