#include "app/UnattendedRun.h"

#include "update/Outcomes.h"
#include "dialog/PassiveProgressDlg.h"
#include "format/PackageFormat.h"
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
    if (RefusedWhileProductRuns(&log))
        return EXIT_BUSY;

    if (passive && CPassiveProgressDlg::LoadProgressBar()) {
        CPassiveProgressDlg window(evaluation, english, &log);
        if (window.DoModal() != -1)
            return ExitCodeOf(window.Outcome());
    }
    // No window to keep answering: the update runs on this thread.
    return ExitCodeOf(InstallUpdate(evaluation, &log, nullptr).outcome);
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
