// The package most end-to-end tests put beside the tool: one small EXCEL entry.
#pragma once

#include "tests/support/ScratchFolder.h"
#include "tools/vupcab/PackageWriter.h"

namespace zr::test {

inline bool WriteSamplePackage(const ScratchFolder& work, const char* version, int language) {
    PackageContents contents;
    contents.version = version;
    contents.language = language;
    contents.entries.push_back({"EXCEL\\Report.xls", "", "abc"});
    return WriteFileBytes(work / "vupcab", BuildPackageBytes(contents));
}

}  // namespace zr::test
