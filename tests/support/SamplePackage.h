// The one builder of the packages the tests use: real package bytes from the package writer, so no
// test lays out a header or directory by hand. Platform-free. (Packages the writer would refuse, such
// as hostile names, are built byte by byte where they are tested.)
#pragma once

#include <string>
#include <vector>

#include "tools/vupcab/PackageWriter.h"

namespace zr::test {

// One entry: its name below the installation folder and its payload.
struct SampleEntry {
    std::string name;
    std::string payload;
};

// A package of `version` and Language code `language` holding `entries`, in that order; by
// default the small one most tests put beside the tool: 1.05, English, one EXCEL entry.
inline std::string SamplePackage(const std::string& version = "1.05",
                                 int language = 1,
                                 const std::vector<SampleEntry>& entries = {{"EXCEL\\Report.xls", "abc"}}) {
    PackageContents contents;
    contents.version = version;
    contents.language = language;
    for (const SampleEntry& entry : entries)
        contents.entries.push_back({entry.name, "", entry.payload});
    return BuildPackageBytes(contents);
}

}  // namespace zr::test
