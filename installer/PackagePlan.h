// An installation's plan: the package judged whole (its header against the one shown, its signature,
// its directory and names) and every entry resolved on disk and judged at its destination, all before
// anything changes, so that placing it needs no decision of its own and every refusal is a refusal.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "format/DestinationRule.h"
#include "format/PackageDirectory.h"
#include "format/PackageFormat.h"
#include "format/PackageHeader.h"
#include "format/SignatureBlock.h"
#include "framework/ScopedHandle.h"
#include "installer/InstallOutcome.h"
#include "installer/PackageReader.h"
#include "trust/PackageSignature.h"

namespace zr {

// One entry as the installer works from it.
struct PLANNED_ENTRY {
    char szName[ENTRY_NAME_SIZE];  // the entry name, terminated
    std::wstring destination;      // full path (without the "\\?\" form)
    std::uint32_t dwSize;
    std::uint64_t nPayloadOffset;  // where its payload lies in the package
    E_PLACING placing;             // what stands at the destination once the earlier entries are placed
    // The installed file standing there (PLACE_OVER_INSTALLED), taken before anything changes
    // (installer/TakeDestinations.h) and renamed aside through this handle.
    ScopedKernelHandle installed;
};

struct PACKAGE_PLAN {
    std::vector<PLANNED_ENTRY> entries;  // in directory order
    std::uint64_t nTotalBytes = 0;
    // The signature's judge while it still waits for the payloads' bytes (they are hashed as they are
    // staged); none when its verdict was had without them.
    std::unique_ptr<CSignatureJudge> signature;
    // Every folder the link check judged, held open without delete sharing until the update ends, so
    // that no other program can rename it away and put a link in its place meanwhile.
    std::vector<ScopedKernelHandle> folders;
};

// The package judged whole, before any destination: its header against `expected` (when given), its
// signature as the keys compiled in judge it, and a signed package's payloads ending where the block
// begins. INSTALL_DONE when it passes, with the decoded directory in *directory and the block's form
// in *form; otherwise the refusal (INSTALL_PACKAGE_REFUSED for another header, _UNTRUSTED,
// _UNREADABLE, or INSTALL_FAILED when memory runs short), with *why saying why. Only reads.
// With `deferred` given, a verdict that waits for the digest is left to the caller: *deferred gets the
// judge with the header and the directory hashed, to be given every payload's bytes in order as they
// are read anyway; without it every byte is read and hashed here.
E_INSTALL_OUTCOME JudgePackage(CPackageReader& package,
                               const PACKAGE_HEADER* expected,
                               PACKAGE_DIRECTORY* directory,
                               E_BLOCK_FORM* form,
                               std::string* why,
                               std::unique_ptr<CSignatureJudge>* deferred = nullptr);

// A refusal's detail for the log: which entry (counted from 0 in `index`) and why.
std::string EntryRefusal(unsigned index, const char* name, const char* why);

// What becomes of a package whose signature's verdict `check` was had: INSTALL_DONE when the keys
// compiled in allow it, else the refusal, with *why saying so.
E_INSTALL_OUTCOME SignatureOutcome(const SIGNATURE_CHECK& check, std::string* why);

// Plans the installation of the open `package` into `installFolder` (full, ending in a backslash;
// `installFolderText` is its ANSI text, which the path length limit binds). `expected`, when given,
// is the header the package must carry. INSTALL_DONE means planned; otherwise the refusal
// (INSTALL_PACKAGE_REFUSED, _UNTRUSTED, _UNREADABLE, or INSTALL_FAILED when memory runs short), with
// *why saying which entry and why. Changes nothing on disk. A signed package's verdict waits in
// plan->signature for its payloads' bytes.
E_INSTALL_OUTCOME PlanPackage(CPackageReader& package,
                              const std::wstring& installFolder,
                              const char* installFolderText,
                              const PACKAGE_HEADER* expected,
                              PACKAGE_PLAN* plan,
                              std::string* why);

}  // namespace zr
