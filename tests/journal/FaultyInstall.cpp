// A child process for the tests that end an installation at a chosen step: the tool's own installer
// and recovery, linked with the fault switch (ZR_FAULT_STEP, ZR_FAULT_DELAY_MS), run in a process of
// their own so that ending it abruptly is real.
//   zr_faulty_install install FOLDER   installs ./vupcab into FOLDER: exit 0 on success, 1 on failure
//   zr_faulty_install recover FOLDER   recovers FOLDER: exit code the E_RECOVERY value
#include <cstring>

#include "format/PackageFormat.h"
#include "installer/PackageInstall.h"
#include "journal/Recovery.h"

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    if (std::strcmp(argv[1], "recover") == 0)
        return static_cast<int>(zr::RecoverInstallation(argv[2]));
    if (std::strcmp(argv[1], "install") != 0)
        return 2;
    return zr::InstallPackage(zr::PACKAGE_FILE_NAME, argv[2], nullptr, nullptr) == zr::INSTALL_DONE ? 0 : 1;
}
