#include "format/DestinationRule.h"

#include <cstring>

#include "format/PathText.h"

namespace zr {

E_DESTINATION_FAULT JudgeDestination(const char* entryName, const DESTINATION_FACTS& facts) {
    // The record's name has only ASCII letters, and the whole name must match.
    if (EqualsIgnoringAsciiCase(entryName, std::strlen(entryName), ZR_RECORD_FILE_NAME))
        return DESTINATION_RECORD_NAME;
    if (facts.bWayLinked)
        return DESTINATION_WAY_LINKED;
    if (facts.bUnknown)
        return DESTINATION_UNKNOWN;
    if (facts.bWayMissing)
        return DESTINATION_WAY_MISSING;
    if (facts.bNamedBefore)
        return DESTINATION_OK;
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

E_PLACING PlacingOf(const DESTINATION_FACTS& facts) {
    if (facts.bNamedBefore)
        return PLACE_OVER_EARLIER;
    return facts.standing == STANDS_FILE ? PLACE_OVER_INSTALLED : PLACE_NEW;
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
            return "a link or special file stands at the name";
        case DESTINATION_READ_ONLY:
            return "a read-only file stands at the name";
        case DESTINATION_IS_PACKAGE:
            return "the file at the name is the package itself";
        case DESTINATION_UNKNOWN:
            return "the file system cannot say what stands at the name";
    }
    return "unknown fault";
}

}  // namespace zr
