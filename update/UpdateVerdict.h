// What the startup evaluation decided: whether this package may be installed over this installation,
// and if not, why. Platform-free, so the exit-code table can be checked anywhere.
#pragma once

namespace zr {

enum E_UPDATE_VERDICT {
    UPDATE_APPLIES,               // installed, older, same language: the update may run
    UPDATE_NOT_INSTALLED,         // no installed copy, or its version cannot be read
    UPDATE_INSTALLATION_BUSY,     // an interrupted update holds it (another copy, or a file in use)
    UPDATE_INSTALLATION_DAMAGED,  // a recovery record not of the installer's making: never touched
    UPDATE_PACKAGE_UNREADABLE,    // the package is missing or cannot be opened
    UPDATE_PACKAGE_REFUSED,       // the package carries no version text
    UPDATE_ALREADY_CURRENT,       // the installed copy has this version and this language already
    UPDATE_NEWER_INSTALLED,       // the installed version text is higher than the package's
    UPDATE_LANGUAGE_MISMATCH,     // the package's language differs from the installation's
    UPDATE_PACKAGE_DAMAGED,       // a tool with keys found nothing to install, but the package fails its check
};

}  // namespace zr
