// A child process for the tests that end an installation at a chosen step: the tool's own installer
// and recovery, linked with the fault switch (ZR_FAULT_STEP, ZR_FAULT_DELAY_MS), run in a process of
// their own so that ending it abruptly is real.
//   zr_faulty_install install FOLDER   installs ./vupcab into FOLDER: exit 0 on success, 1 on failure;
//                                      a failure's files not put back are written to ./not-put-back.txt
//   zr_faulty_install recover FOLDER   recovers FOLDER: exit code the E_RECOVERY value
#include <windows.h>

#include <cstdio>
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
    const zr::INSTALL_RESULT result = zr::InstallPackage(zr::PACKAGE_FILE_NAME, argv[2], nullptr, nullptr);
    if (!result.notPutBack.empty()) {
        if (std::FILE* out = std::fopen("not-put-back.txt", "wb")) {
            for (const std::wstring& path : result.notPutBack) {
                char narrow[1024] = {};
                ::WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, sizeof narrow - 1, nullptr, nullptr);
                std::fprintf(out, "%s\n", narrow);
            }
            std::fclose(out);
        }
    }
    return result.outcome == zr::INSTALL_DONE ? 0 : 1;
}
