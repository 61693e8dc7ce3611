#include "format/DestinationRule.h"

#include <cstring>

namespace zr {

namespace {
bool SameAsciiTextIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        const char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y)
            return false;
        if (x == '\0')
            return true;
    }
}
}  // namespace

E_DESTINATION_FAULT JudgeDestination(const char* entryName, const DESTINATION_FACTS& facts) {
    if (SameAsciiTextIgnoringCase(entryName, RECORD_NAME))
        return DESTINATION_RECORD_NAME;
    if (facts.bUnknown)
        return DESTINATION_UNKNOWN;
    if (facts.bWayLinked)
        return DESTINATION_WAY_LINKED;
    if (facts.bWayMissing)
        return DESTINATION_WAY_MISSING;
    switch (facts.standing) {
        case STANDS_NOTHING:
            return DESTINATION_OK;
        case STANDS_FOLDER:
            return DESTINATION_IS_FOLDER;
        case STANDS_OTHER:
            return DESTINATION_NOT_A_FILE;
        case STANDS_FILE:
            break;
    }
    if (facts.bIsPackage)
        return DESTINATION_IS_PACKAGE;
    return facts.bReadOnly ? DESTINATION_READ_ONLY : DESTINATION_OK;
}

const char* DestinationFaultText(E_DESTINATION_FAULT fault) {
    switch (fault) {
        case DESTINATION_OK:
            return "can be placed";
        case DESTINATION_RECORD_NAME:
            return "the name is the recovery record's";
        case DESTINATION_WAY_MISSING:
            return "a folder on the way does not exist";
        case DESTINATION_WAY_LINKED:
            return "a folder on the way is a link or lies outside the installation";
        case DESTINATION_IS_FOLDER:
            return "a folder stands at the name";
        case DESTINATION_NOT_A_FILE:
            return "something other than a file stands at the name";
        case DESTINATION_READ_ONLY:
            return "a read-only file stands at the name";
        case DESTINATION_IS_PACKAGE:
            return "the file at the name is the package itself";
        case DESTINATION_UNKNOWN:
            return "the file system cannot say what stands at the name";
    }
    return "cannot be placed";
}

}  // namespace zr
