// Writes update packages. Not part of the tool itself, which only reads them: this serves the people
// who ship updates and the tests, which build real packages instead of byte arrays by hand.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zr {

struct PackageFileEntry {
    std::string name;                  // path below the installation folder, backslash-separated
    std::filesystem::path sourcePath;  // file whose bytes are the payload; empty: `bytes` is the payload
    std::string bytes;
};

struct PackageContents {
    std::string version;  // at most 10 characters
    int language = 0;     // Language code, 0 to 15
    std::vector<PackageFileEntry> entries;
};

// Why the layout cannot carry these contents, or the empty text when it can. Looks at the source
// files' sizes, so missing sources are reported here too.
std::string CheckPackageContents(const PackageContents& contents);

// Checks, then writes the package to `outputPath`, streaming each source file. False with a message
// in `error` when the contents are refused or a file cannot be read or written.
bool WritePackage(const PackageContents& contents, const std::string& outputPath, std::string* error);

// A name beside `outputPath` to write the package under until it is whole: a package that is
// interrupted or refused on the way never stands under the name a release script ships.
std::string PartialNameBeside(const std::string& outputPath);
// Renames the whole package `partialPath` to `outputPath`, replacing a file there. False (with
// `error`) leaves both names as they were.
bool PublishPackage(const std::string& partialPath, const std::string& outputPath, std::string* error);

// The package's bytes in memory, for small test packages. Contents must pass CheckPackageContents.
std::string BuildPackageBytes(const PackageContents& contents);

// What a package file declares, read without judging it: the header, then as many directory
// records as the file holds.
struct PackageListing {
    std::string version;
    unsigned languageByte = 0;
    unsigned entryCount = 0;
    struct Record {
        std::string name;  // up to the first NUL of the 32-byte field
        bool terminated = false;
        std::uint32_t size = 0;
    };
    std::vector<Record> records;
    std::uint64_t payloadBytes = 0;  // bytes after the directory
    bool directoryComplete = false;
};

bool ReadPackageListing(const std::string& path, PackageListing* listing, std::string* error);

}  // namespace zr
