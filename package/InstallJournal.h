// What an installation has changed so far, so that a failure can put every file back. Replaced files
// are kept aside under a unique name beside them until the whole package is in place.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

class CInstallJournal {
  public:
    // A file kept aside is renamed to "zr~", 8 hexadecimal digits and ".tmp" in its own folder, so
    // its folder may take at most MAX_PATH - 1 - ASIDE_NAME_LENGTH characters.
    static constexpr std::size_t ASIDE_NAME_LENGTH = 15;

    CInstallJournal() = default;
    // Undoes everything not committed, so that an early return or an exception leaves no change.
    ~CInstallJournal();
    CInstallJournal(const CInstallJournal&) = delete;
    CInstallJournal& operator=(const CInstallJournal&) = delete;

    // Room for `count` changes, so that recording never has to allocate later. False when the memory
    // cannot be had.
    bool Reserve(std::size_t count);

    // Renames an existing file at `path` to a unique name in its own folder. True also when nothing
    // is at `path`. False, with nothing changed, when the file is read-only (the installation must not
    // replace what it could not overwrite) or cannot be renamed (in use, no right).
    bool MoveAside(const char* path);

    // Notes that this run creates the file at `path` from now on; a rollback deletes it.
    void NoteCreated(const char* path);

    // Deletes every file kept aside; the changes stay.
    void Commit();

    // Deletes what this run created and puts every file kept aside back, newest change first.
    void Rollback();

  private:
    struct CHANGE {
        char szPath[MAX_PATH];
        char szAside[MAX_PATH];  // empty: `szPath` was created by this run
    };
    std::vector<CHANGE> m_changes;
    unsigned m_nNextAsideName = 0;
};
