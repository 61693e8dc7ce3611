// Taking the installed files an update replaces, before the first byte is written: each is opened for
// renaming (DELETE access, sharing everything, so readers go on reading) and held until the placing
// renames it aside through the same handle. Held so, no other program can open it in a way that would
// block the rename, and the file renamed is the file that was judged.
#pragma once

#include <string>

#include "files/FileIdentity.h"
#include "installer/InstallOutcome.h"
#include "installer/PackagePlan.h"

namespace zr {

// Takes the file standing at every destination of `plan` that replaces an installed file, into that
// entry's `installed`. A file another program holds (a sharing or a lock violation) is tried again
// for about IN_USE_PATIENCE_MS in all. INSTALL_DONE when every one is taken; INSTALL_FILES_IN_USE with
// *inUse naming the held files and the programs holding them; INSTALL_FAILED when one cannot be
// opened for another reason (*why says which); INSTALL_PACKAGE_REFUSED when one is the file
// `package` itself, held open without delete sharing (a hard link of the package or another name of
// it in the installation; *why says which entry). Nothing is changed on disk either way; on failure
// no handle stays taken.
E_INSTALL_OUTCOME TakeDestinations(PACKAGE_PLAN* plan,
                                   const FILE_IDENTITY& package,
                                   FILES_IN_USE* inUse,
                                   std::string* why);

}  // namespace zr
