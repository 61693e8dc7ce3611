// What became of an installation, and what it reports while it runs: the dialog's messages, the
// unattended run's exit codes and its log are all chosen from these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zr {

enum E_INSTALL_OUTCOME {
    INSTALL_DONE,                // every entry is in place
    INSTALL_PACKAGE_UNREADABLE,  // missing, cannot be opened or read (also: another program holds it
                                 // open for writing); nothing changed
    INSTALL_PACKAGE_REFUSED,     // not installable here: its header is not the one shown, its directory
                                 // or a name is refused, a destination cannot be placed; nothing changed
    INSTALL_PACKAGE_UNTRUSTED,   // damaged, or not signed by the maker; nothing changed
    INSTALL_BUSY,                // another copy is installing, or an interrupted update awaits the next
                                 // start; nothing changed
    INSTALL_FAILED,              // a step failed on the way: everything was put back, or is left in the
                                 // recovery record for the next start to put back
    INSTALL_FILES_IN_USE,        // another program holds a file to be replaced, past the wait for it;
                                 // nothing changed (no record, no staged file)
};

// The destinations another program held when the update gave up waiting, and the programs that the
// system's Restart Manager names as holding them (none where it cannot tell).
struct FILE_HOLDER {
    std::wstring name;  // the application's name as the system gives it
    unsigned long nProcessId = 0;
};
struct FILES_IN_USE {
    std::vector<std::string> files;  // entry names: the paths below the installation, ANSI
    std::vector<FILE_HOLDER> holders;
};

// What an installation did: its outcome, and what the caller is to say about it.
struct INSTALL_RESULT {
    E_INSTALL_OUTCOME outcome = INSTALL_FAILED;
    std::string why;     // a refusal (INSTALL_PACKAGE_*, INSTALL_FAILED before any change): which entry, and why
    FILES_IN_USE inUse;  // INSTALL_FILES_IN_USE: the files held and their holders
    // INSTALL_FAILED: the files the run's rollback could not put back (held by another program); the
    // recovery record stays, and the next start puts them back. Empty: everything was put back.
    std::vector<std::wstring> notPutBack;
    operator E_INSTALL_OUTCOME() const { return outcome; }
};

// Told how an installation goes, on the thread that installs, while it goes (what it ends with is its
// INSTALL_RESULT). Every member has a default that does
// nothing, so a caller overrides what it shows.
class CInstallProgress {
  public:
    virtual ~CInstallProgress() = default;
    // Once, after the package has been judged and before the first change: what will be placed.
    virtual void OnPlanned(unsigned /*entries*/, std::uint64_t /*totalBytes*/) {}
    // As payload bytes are written: the bytes of all payloads written so far.
    virtual void OnBytesPlaced(std::uint64_t /*bytesDone*/) {}
    // When an entry's file stands at its destination: its entry name and payload size.
    virtual void OnEntryPlaced(const char* /*entryName*/, std::uint32_t /*size*/) {}
    // After the commit point, for each installed file kept aside that could not be deleted (held by
    // another program): its full path; the next start deletes it.
    virtual void OnBackupLeft(const std::wstring& /*path*/) {}
};

}  // namespace zr
