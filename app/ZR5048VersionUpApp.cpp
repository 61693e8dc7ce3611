#include "app/ZR5048VersionUpApp.h"

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "update/Outcomes.h"
#include "app/UnattendedRun.h"
#include "update/DeploymentLog.h"
#include "dialog/DialogTexts.h"
#include "dialog/ZR5048VersionUpDlg.h"
#include "framework/MessageBox.h"
#include "framework/TextEncoding.h"
#include "product/LanguageSettings.h"
#include "res/version.h"

CZR5048VersionUpApp theApp;

namespace {
void ShowUsage(bool english, const std::wstring& problem) {
    std::string text;
    if (!problem.empty())
        text = std::string(TEXT_INVALID_COMMAND_LINE.In(english)) + zr::NarrowToAnsi(problem) + "\n\n";
    text += TEXT_USAGE.In(english);
    AfxMessageBox(text.c_str(), MB_OK | (problem.empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION), 0);
}

int RunDialog(zr::CDeploymentLog& log) {
    CZR5048VersionUpDlg dialog;
    AfxGetApp()->m_pMainWnd = &dialog;
    if (log.IsOpen())
        dialog.SetLog(&log);
    dialog.DoModal();
    zr::E_INSTALL_OUTCOME outcome = zr::INSTALL_FAILED;
    if (dialog.UpdateEndedUnseen(&outcome))
        return zr::ExitCodeOf(outcome);
    return dialog.Updated() ? zr::EXIT_UPDATED : zr::EXIT_USER_DECLINED;
}

int Run() {
    std::vector<std::wstring> arguments = zr::SplitCommandLine(::GetCommandLineW());
    arguments.erase(arguments.begin());
    const zr::COMMAND_LINE command = zr::ParseArguments(arguments);
    const bool english = zr::IsEnglishUI();

    if (command.mode == zr::RUN_INVALID || command.mode == zr::RUN_HELP) {
        // /? has no problem to name: the usage alone.
        if (!command.bQuiet)
            ShowUsage(english, command.problem);
        return command.mode == zr::RUN_INVALID ? zr::EXIT_INVALID_COMMAND_LINE : zr::EXIT_UPDATED;
    }

    zr::CDeploymentLog log;
    if (!command.logPath.empty() && !log.Open(command.logPath)) {
        if (!command.bQuiet)
            ShowUsage(english, L"/log " + command.logPath);
        return zr::EXIT_LOG_FAILURE;
    }
    log.Line("ZR5048VersionUp %d.%d.%d.%d", ZR_VERSION_NUMBERS);
    log.LineWide("Command line: ", ::GetCommandLineW());

    int exitCode = zr::EXIT_FATAL;
    if (command.mode == zr::RUN_DIALOG)
        exitCode = RunDialog(log);
    else
        exitCode = zr::RunUnattended(command.mode == zr::RUN_PASSIVE, english, log);
    log.Line("Exit code: %d", exitCode);
    return exitCode;
}
}  // namespace

BOOL CZR5048VersionUpApp::InitInstance() {
    m_nExitCode = Run();
    // The run has ended: return false so that no message loop of the framework's is entered.
    return FALSE;
}
