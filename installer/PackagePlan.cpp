#include "installer/PackagePlan.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <new>
#include <set>

#include "files/LongPath.h"

namespace zr {

namespace {

// The final path of an open folder, ending in a backslash.
bool FinalFolderOf(HANDLE folder, std::wstring* final) {
    if (!FinalPathOf(folder, final))
        return false;
    if (final->empty() || final->back() != L'\\')
        *final += L'\\';
    return true;
}

// `outcome`, with *why saying `reason`.
E_INSTALL_OUTCOME Refused(E_INSTALL_OUTCOME outcome, std::string* why, const std::string& reason) {
    *why = reason;
    return outcome;
}

// Judges the folders of the installation that the entries go to, each once, and holds each open.
class CFolderCheck {
  public:
    CFolderCheck(const std::wstring& installFolder, const std::wstring& installFinal, PACKAGE_PLAN* plan)
        : m_installFolder(installFolder), m_installFinal(installFinal), m_pPlan(plan) {}

    // Every folder from below the installation down to `folder` (full, ending in a backslash).
    void Judge(const std::wstring& folder, DESTINATION_FACTS* facts) {
        for (std::size_t end = m_installFolder.size(); end < folder.size();) {
            end = folder.find(L'\\', end) + 1;
            const std::wstring key = PathKey(folder.substr(0, end));
            auto known = m_judged.find(key);
            if (known == m_judged.end())
                known = m_judged.emplace(key, JudgeOne(folder.substr(0, end))).first;
            if (known->second != WAY_PLAIN) {
                (known->second == WAY_MISSING ? facts->bWayMissing : facts->bWayLinked) = true;
                return;
            }
        }
    }

  private:
    enum E_WAY { WAY_PLAIN, WAY_MISSING, WAY_LINKED };

    E_WAY JudgeOne(const std::wstring& folder) {
        // Without its last backslash: "link\" names what the link points to, not the link.
        std::wstring itself = folder;
        while (!itself.empty() && itself.back() == L'\\')
            itself.pop_back();
        // By name as well as by handle: Wine shows a Unix symbolic link as a reparse point only by name.
        const DWORD attributes = ::GetFileAttributesW(LongPathForm(itself).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return IsMissingFileError(::GetLastError()) ? WAY_MISSING : WAY_LINKED;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? WAY_LINKED : WAY_MISSING;
        // The folder itself, not what a link there points to; no delete sharing, so that it stays
        // where it is while the update runs.
        ScopedKernelHandle handle(::CreateFileW(LongPathForm(itself).c_str(), FILE_READ_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION information = {};
        std::wstring final;
        if (!handle || !::GetFileInformationByHandle(handle.get(), &information) ||
            (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
            !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !FinalFolderOf(handle.get(), &final) ||
            !IsBelowFolder(final, m_installFinal))
            return WAY_LINKED;
        m_pPlan->folders.push_back(std::move(handle));
        return WAY_PLAIN;
    }

    const std::wstring& m_installFolder;
    const std::wstring& m_installFinal;
    PACKAGE_PLAN* m_pPlan;
    std::map<std::wstring, E_WAY> m_judged;  // upper-cased folder
};

// Adds to *facts what stands at `destination` now. Whether it is the package itself is asked only of
// a file that cannot be taken (installer/TakeDestinations.h).
void JudgeStanding(const std::wstring& destination, DESTINATION_FACTS* facts) {
    const DWORD attributes = ::GetFileAttributesW(LongPathForm(destination).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        facts->bUnknown = !IsMissingFileError(::GetLastError());
        return;
    }
    facts->standing = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? STANDS_OTHER
                      : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? STANDS_FOLDER
                                                                  : STANDS_FILE;
    facts->bReadOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

std::string EntryRefusal(unsigned index, const char* name, const char* why) {
    return "entry " + std::to_string(index + 1) + " \"" + name + "\": " + why;
}

E_INSTALL_OUTCOME SignatureOutcome(const SIGNATURE_CHECK& check, std::string* why) {
    if (SignatureAllowsInstall(check, CompiledPackageKeys().nCount))
        return INSTALL_DONE;
    return Refused(check.state == SIGNATURE_READ_ERROR ? INSTALL_PACKAGE_UNREADABLE : INSTALL_PACKAGE_UNTRUSTED, why,
                   "the signature check refuses the package");
}

E_INSTALL_OUTCOME JudgePackage(CPackageReader& package,
                               const PACKAGE_HEADER* expected,
                               PACKAGE_DIRECTORY* directory,
                               E_BLOCK_FORM* form,
                               std::string* why,
                               std::unique_ptr<CSignatureJudge>* deferred) {
    std::unique_ptr<unsigned char[]> head(new (std::nothrow) unsigned char[MAX_DIRECTORY_END]);
    if (!head)
        return Refused(INSTALL_FAILED, why, "out of memory");
    const std::size_t headSize =
        package.Size() < MAX_DIRECTORY_END ? static_cast<std::size_t>(package.Size()) : MAX_DIRECTORY_END;
    if (!package.ReadAt(0, head.get(), headSize))
        return Refused(INSTALL_PACKAGE_UNREADABLE, why, "the package cannot be read");
    // The header believed is the one read here, through the locked handle.
    if (expected && !(DecodePackageHeader(head.get(), headSize) == *expected))
        return Refused(INSTALL_PACKAGE_REFUSED, why, "the package's header is not the one shown");
    // Damaged or foreign packages are refused before anything changes; one whose digest is needed is
    // refused once its bytes have been read, still before anything installed changes.
    const PackageReadAt readAt = [&package](std::uint64_t offset, void* buffer, std::size_t size) {
        return package.ReadAt(offset, buffer, size);
    };
    std::unique_ptr<CSignatureJudge> judge(new (std::nothrow)
                                               CSignatureJudge(readAt, package.Size(), CompiledPackageKeys()));
    if (!judge)
        return Refused(INSTALL_FAILED, why, "out of memory");
    if (judge->BytesToHash() == 0 || !deferred) {
        judge->HashRest(readAt);
        const E_INSTALL_OUTCOME signature = SignatureOutcome(judge->Verdict(), why);
        if (signature != INSTALL_DONE)
            return signature;
    }
    DecodePackageDirectory(head.get(), headSize, directory);
    const E_BLOCK_FORM found = judge->Finding().form;
    // A signed or digest-only package ends its last payload where the block begins.
    if (found != BLOCK_ABSENT && !PayloadsEndAt(*directory, SignedLength(package.Size(), found)))
        return Refused(INSTALL_PACKAGE_UNTRUSTED, why, "the payloads do not end where the signature block begins");
    *form = found;
    if (judge->BytesToHash() > 0) {
        // The payloads follow the directory without a gap and end at the block: what is hashed here
        // and what the staging hashes are every byte before the block, each once.
        judge->Hash(head.get(), static_cast<std::size_t>(PayloadOffset(directory->nCount)));
        *deferred = std::move(judge);
    }
    return INSTALL_DONE;
}

E_INSTALL_OUTCOME PlanPackage(CPackageReader& package,
                              const std::wstring& installFolder,
                              const char* installFolderText,
                              const PACKAGE_HEADER* expected,
                              PACKAGE_PLAN* plan,
                              std::string* why) {
    *plan = PACKAGE_PLAN();
    // Everything is had before the first file is touched, so running short of memory changes nothing.
    std::unique_ptr<PACKAGE_DIRECTORY> directory(new (std::nothrow) PACKAGE_DIRECTORY);
    if (!directory)
        return Refused(INSTALL_FAILED, why, "out of memory");
    E_BLOCK_FORM form = BLOCK_ABSENT;
    const E_INSTALL_OUTCOME judged = JudgePackage(package, expected, directory.get(), &form, why, &plan->signature);
    if (judged != INSTALL_DONE)
        return judged;
    // Names are read in the system's ANSI code page, as the 8-bit file functions read them.
    const PACKAGE_VERDICT verdict = CheckPackageDirectory(*directory, SignedLength(package.Size(), form),
                                                          std::strlen(installFolderText), LeadBytesOf(::GetACP()));
    if (verdict.fault != PACKAGE_OK)
        return Refused(INSTALL_PACKAGE_REFUSED, why,
                       verdict.fault == PACKAGE_BAD_ENTRY_NAME || verdict.fault == PACKAGE_DESTINATION_TOO_LONG
                           ? EntryRefusal(verdict.nEntry, "",
                                          verdict.fault == PACKAGE_BAD_ENTRY_NAME ? NameFaultText(verdict.nameFault)
                                                                                  : PackageFaultText(verdict.fault))
                           : PackageFaultText(verdict.fault));

    // The installation folder may itself be reached through a link an administrator made: its final
    // path, had once, is what every folder below it must lie under.
    const ScopedKernelHandle install(::CreateFileW(LongPathForm(installFolder).c_str(), FILE_READ_ATTRIBUTES,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring installFinal;
    if (!install || !FinalFolderOf(install.get(), &installFinal))
        return Refused(INSTALL_PACKAGE_REFUSED, why, "the installation folder cannot be opened");
    CFolderCheck folders(installFolder, installFinal, plan);
    std::set<std::wstring> named;  // upper-cased destinations of the earlier entries
    std::uint64_t offset = PayloadOffset(directory->nCount);
    for (unsigned i = 0; i < directory->nCount; ++i) {
        const PACKAGE_ENTRY& entry = directory->entries[i];
        PLANNED_ENTRY planned = {};
        std::memcpy(planned.szName, entry.szName, sizeof planned.szName);
        planned.dwSize = entry.dwSize;
        planned.nPayloadOffset = offset;
        offset += entry.dwSize;
        const std::wstring wide = WidenAnsi(entry.szName);
        if (wide.empty() || !MakeFullPath(installFolder + wide, &planned.destination) ||
            !IsBelowFolder(planned.destination, installFolder))
            return Refused(INSTALL_PACKAGE_REFUSED, why,
                           EntryRefusal(i, entry.szName, "the name cannot be resolved below the installation"));
        DESTINATION_FACTS facts;
        facts.bNamedBefore = !named.insert(PathKey(planned.destination)).second;
        folders.Judge(FolderPart(planned.destination), &facts);
        if (!facts.bWayMissing && !facts.bWayLinked && !facts.bNamedBefore)
            JudgeStanding(planned.destination, &facts);
        const E_DESTINATION_FAULT fault = JudgeDestination(entry.szName, facts);
        if (fault != DESTINATION_OK)
            return Refused(INSTALL_PACKAGE_REFUSED, why, EntryRefusal(i, entry.szName, DestinationFaultText(fault)));
        planned.placing = PlacingOf(facts);
        plan->nTotalBytes += entry.dwSize;
        plan->entries.push_back(std::move(planned));
    }
    return INSTALL_DONE;
}

}  // namespace zr
