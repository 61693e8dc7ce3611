#include "tools/vupcab/PackageTexts.h"

namespace zr {

const char* NameFaultText(E_NAME_FAULT fault) {
    switch (fault) {
        case NAME_OK:
            return "a good name";
        case NAME_EMPTY:
            return "the name is empty";
        case NAME_NOT_TERMINATED:
            return "the name has no end within its 32 bytes";
        case NAME_ROOTED:
            return "the name is rooted";
        case NAME_COLON:
            return "the name holds a colon (a drive or a stream)";
        case NAME_DOT_DOT:
            return "the name holds a parent folder (..)";
        case NAME_DEVICE_NAME:
            return "the name holds a device name (CON, NUL, COM1, ...)";
        case NAME_TRAILING_DOT_SPACE:
            return "a part of the name ends in a dot or a blank";
        case NAME_BAD_CHARACTER:
            return "the name holds a control character or one of *?\"<>|";
        case NAME_EMPTY_FILE_NAME:
            return "the name ends in a separator";
    }
    return "a bad name";
}

const char* PackageFaultText(E_PACKAGE_FAULT fault) {
    switch (fault) {
        case PACKAGE_OK:
            return "the directory is sound";
        case PACKAGE_COUNT_MISSING:
            return "the file ends before the entry count";
        case PACKAGE_DIRECTORY_SHORT:
            return "the directory is cut short";
        case PACKAGE_PAYLOADS_SHORT:
            return "the payloads are cut short (or reach into the signature block)";
        case PACKAGE_BAD_ENTRY_NAME:
            return "an entry name is refused";
        case PACKAGE_BAD_WORKING_NAME:
            return "the Working file name made from an entry name is refused";
        case PACKAGE_DESTINATION_TOO_LONG:
            return "a destination path would be longer than 259 characters";
    }
    return "the directory is refused";
}

}  // namespace zr
