// What the installer may do at an entry's destination, decided from what the file system says stands
// there and on the way to it. Platform-free: the installer gathers the facts through Win32,
// `mkvupcab check` natively, and both judge them here.
#pragma once

namespace zr {

// What stands at an entry's destination.
enum E_STANDING {
    STANDS_NOTHING,
    STANDS_FILE,
    STANDS_FOLDER,
    STANDS_OTHER,  // a link at the name, a device, a socket
};

struct DESTINATION_FACTS {
    bool bWayMissing = false;  // a folder on the way below the installation does not exist
    bool bWayLinked = false;   // a folder on the way is a junction or symbolic link, or resolves outside
                               // the installation
    E_STANDING standing = STANDS_NOTHING;
    bool bReadOnly = false;   // the file standing there is read-only
    bool bIsPackage = false;  // the file standing there is the package itself (same file identity)
    bool bUnknown = false;    // the file system could not say
};

enum E_DESTINATION_FAULT {
    DESTINATION_OK,
    DESTINATION_RECORD_NAME,  // the recovery record's own name
    DESTINATION_WAY_MISSING,
    DESTINATION_WAY_LINKED,
    DESTINATION_IS_FOLDER,
    DESTINATION_NOT_A_FILE,
    DESTINATION_READ_ONLY,  // the installation must not replace what it could not overwrite
    DESTINATION_IS_PACKAGE,
    DESTINATION_UNKNOWN,
};

// The recovery record's name, directly in the installation folder.
inline constexpr char RECORD_NAME[] = "zr~recovery.dat";

// `entryName` is a name CheckPackageDirectory accepted (so never outside the installation). The
// record's own name (compared without case) is never a destination.
E_DESTINATION_FAULT JudgeDestination(const char* entryName, const DESTINATION_FACTS& facts);
// A short English text for the log and the package tool ("a folder stands at the name", ...).
const char* DestinationFaultText(E_DESTINATION_FAULT fault);

}  // namespace zr
