#include "app/UnattendedRun.h"

#include "app/ExitCode.h"
#include "dialog/PassiveProgressDlg.h"
#include "format/PackageFormat.h"
#include "installer/PackageInstall.h"
#include "product/ProductRunning.h"
#include "update/LoggedProgress.h"

namespace zr {

namespace {
int Run(bool passive, bool english, CDeploymentLog& log) {
    UPDATE_EVALUATION evaluation;
    EvaluateUpdate(zr::PACKAGE_FILE_NAME, &evaluation);
    ConfirmNothingToInstall(zr::PACKAGE_FILE_NAME, &evaluation);
    LogEvaluation(log, evaluation);
    if (evaluation.verdict != UPDATE_APPLIES)
        return ExitCodeOf(evaluation.verdict);

    // Nobody to ask to end the product: a deployment retries later.
    if (IsProductRunning()) {
        log.Line("Refused: the product is running");
        return EXIT_BUSY;
    }

    zr::E_INSTALL_OUTCOME outcome = zr::INSTALL_FAILED;
    bool installed = false;
    if (passive && CPassiveProgressDlg::LoadProgressBar()) {
        CPassiveProgressDlg window(evaluation, english, &log);
        installed = window.DoModal() != -1;
        outcome = window.Outcome();
    }
    if (!installed) {
        // No window to keep answering: the update runs on this thread.
        CLoggedProgress progress(&log, nullptr);
        outcome =
            InstallPackage(zr::PACKAGE_FILE_NAME, evaluation.paths.szInstallFolder, &evaluation.package, &progress);
    }
    LogInstallOutcome(log, outcome);
    return ExitCodeOf(outcome);
}
}  // namespace

int RunUnattended(bool passive, bool english, CDeploymentLog& log) {
    try {
        return Run(passive, english, log);
    } catch (...) {
        // Out of memory while reading the installation: nothing was changed by this run.
        log.Line("Failed: out of memory");
        return EXIT_FATAL;
    }
}

}  // namespace zr
