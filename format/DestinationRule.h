// Whether the tool may place an entry at its destination, judged from what the file system says
// stands there and on the way to it. Platform-free: the installer's plan and `mkvupcab check` both ask
// this one rule, each gathering the facts its own way.
#pragma once

// The recovery record's name, directly in the installation folder. Spelt once, for the narrow entry
// names here and for the journal's wide paths (L"" ZR_RECORD_FILE_NAME).
#define ZR_RECORD_FILE_NAME "zr~recovery.dat"

namespace zr {

// What stands at an entry's destination and on the way to it, as the file system answers.
enum E_STANDING {
    STANDS_NOTHING,
    STANDS_FILE,
    STANDS_FOLDER,
    STANDS_OTHER
};  // OTHER: a link at the name, a device, a socket

struct DESTINATION_FACTS {
    bool bWayMissing = false;  // a folder on the way below the installation does not exist
    bool bWayLinked =
        false;  // a folder on the way is a junction or symbolic link, or resolves outside the installation
    E_STANDING standing = STANDS_NOTHING;
    bool bReadOnly = false;   // the file standing there is read-only
    bool bIsPackage = false;  // the file standing there is the package itself (same file identity)
    bool bUnknown = false;    // the file system could not say
    // An earlier entry of the package names the same destination: what stands there then is that
    // entry's file, whatever stands there now, so the rest of the facts at the name are not asked.
    bool bNamedBefore = false;
};

enum E_DESTINATION_FAULT {
    DESTINATION_OK,
    DESTINATION_RECORD_NAME,
    DESTINATION_WAY_MISSING,
    DESTINATION_WAY_LINKED,
    DESTINATION_IS_FOLDER,
    DESTINATION_NOT_A_FILE,
    DESTINATION_READ_ONLY,
    DESTINATION_IS_PACKAGE,
    DESTINATION_UNKNOWN
};

// `entryName` is a name CheckPackageDirectory accepted (so never outside the installation). The record's own
// name (directly in the installation folder, compared without case) is never a destination.
// A link on the way outweighs everything at the name, and what the file system could not say refuses.
E_DESTINATION_FAULT JudgeDestination(const char* entryName, const DESTINATION_FACTS& facts);

// What placing an entry the rule allowed does at its destination.
enum E_PLACING {
    PLACE_NEW,             // creates the file
    PLACE_OVER_INSTALLED,  // replaces the installed file standing there (the one to take and keep aside)
    PLACE_OVER_EARLIER     // replaces the file an earlier entry of the package places there
};
E_PLACING PlacingOf(const DESTINATION_FACTS& facts);

// A short English text for logs and mkvupcab ("a folder stands at the name", ...).
const char* DestinationFaultText(E_DESTINATION_FAULT fault);

}  // namespace zr
