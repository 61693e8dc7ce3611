#include "app/ExitCode.h"

namespace zr {

int ExitCodeOf(E_UPDATE_VERDICT verdict) {
    switch (verdict) {
        case UPDATE_APPLIES:
        case UPDATE_ALREADY_CURRENT:
            // A deployment may run again on a PC it has updated: that is a success, not an error.
            return EXIT_UPDATED;
        case UPDATE_NOT_INSTALLED:
            return EXIT_NOT_INSTALLED;
        case UPDATE_INSTALLATION_BUSY:
            return EXIT_BUSY;
        case UPDATE_INSTALLATION_DAMAGED:
            return EXIT_FATAL;
        case UPDATE_PACKAGE_UNREADABLE:
            return EXIT_PACKAGE_UNREADABLE;
        case UPDATE_PACKAGE_REFUSED:
        case UPDATE_PACKAGE_DAMAGED:
            return EXIT_PACKAGE_REFUSED;
        case UPDATE_NEWER_INSTALLED:
            return EXIT_NEWER_INSTALLED;
        case UPDATE_LANGUAGE_MISMATCH:
            return EXIT_LANGUAGE_MISMATCH;
    }
    return EXIT_FATAL;
}

int ExitCodeOf(E_INSTALL_OUTCOME outcome) {
    switch (outcome) {
        case INSTALL_DONE:
            return EXIT_UPDATED;
        case INSTALL_PACKAGE_UNREADABLE:
            return EXIT_PACKAGE_UNREADABLE;
        case INSTALL_PACKAGE_REFUSED:
        case INSTALL_PACKAGE_UNTRUSTED:
            return EXIT_PACKAGE_REFUSED;
        case INSTALL_BUSY:
        case INSTALL_FILES_IN_USE:
            // Nothing changed and the holder may let go: a deployment tries again later.
            return EXIT_BUSY;
        case INSTALL_FAILED:
            return EXIT_FATAL;
    }
    return EXIT_FATAL;
}

}  // namespace zr
