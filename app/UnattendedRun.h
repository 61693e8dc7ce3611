// The runs without questions: /quiet (no window and no message box at all) and /passive (a window
// with the progress only). Both act on the startup evaluation's verdict as the dialog would enable
// Execute, refuse while the product runs, and say in their exit code what became of the update.
#pragma once

#include "update/DeploymentLog.h"

namespace zr {

// Evaluates ./vupcab against the installation, installs it when the update applies, and returns the
// exit code (app/ExitCode.h). `passive` shows the progress window, in English when `english`; `log`
// may be closed. Never shows a message box.
int RunUnattended(bool passive, bool english, CDeploymentLog& log);

}  // namespace zr
