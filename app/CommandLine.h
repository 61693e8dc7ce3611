// The tool's command line: split as Windows splits one for a program (quotes, backslashes before
// quotes), then read as options. Platform-free, so the rules are tested on the build machine too.
#pragma once

#include <string>
#include <vector>

namespace zr {

// Splits a whole command line, the program's name first, by the documented rules of
// CommandLineToArgvW: the program's name ends at the next quote when it starts with one, otherwise at
// white space, and takes no escapes; in the other arguments white space outside quotes separates,
// 2n backslashes before a quote give n backslashes and the quote opens or closes a quoted part,
// 2n+1 give n backslashes and a literal quote, other backslashes are literal, and "" inside a quoted
// part is a literal quote. The result always holds the program's name, empty for an empty line.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line);

enum E_RUN_MODE {
    RUN_DIALOG,   // no option: the interactive dialog
    RUN_QUIET,    // /quiet: no window and no message box at all
    RUN_PASSIVE,  // /passive: no question, a progress window that closes itself
    RUN_HELP,     // /? or /help: the usage, nothing else
    RUN_INVALID,  // an unknown option, a missing value, two modes: the usage, nothing changed
};

struct COMMAND_LINE {
    E_RUN_MODE mode = RUN_DIALOG;
    std::wstring logPath;  // empty: no log
    std::wstring problem;  // RUN_INVALID only: the argument that made it so
    bool bQuiet = false;   // /quiet stands anywhere on the line: never a window, also for a mistake
};

// Reads the arguments after the program's name. Options start with '/' or '-' and are compared
// without regard to case; "/log" takes the next argument as its file unless that is one of the tool's
// own options (then /log lacks its file), so "/log /x.txt" names a file and "/log /quiet" does not. Any
// mistake gives RUN_INVALID, even next to /?, so a script never runs with half of what it meant.
COMMAND_LINE ParseArguments(const std::vector<std::wstring>& arguments);

}  // namespace zr
