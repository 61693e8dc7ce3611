#include "app/CommandLine.h"

#include <cwctype>

namespace zr {

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> arguments;
    std::size_t at = 0;
    const std::size_t end = line.size();

    // The program's name: no escapes, so a path ending in a backslash stays as it is.
    std::wstring program;
    if (at < end && line[at] == L'"') {
        ++at;
        while (at < end && line[at] != L'"')
            program += line[at++];
        if (at < end)
            ++at;
    } else {
        while (at < end && !IsBlank(line[at]))
            program += line[at++];
    }
    arguments.push_back(program);

    for (;;) {
        while (at < end && IsBlank(line[at]))
            ++at;
        if (at >= end)
            break;
        std::wstring argument;
        bool quoted = false;
        while (at < end && (quoted || !IsBlank(line[at]))) {
            if (line[at] == L'\\') {
                std::size_t backslashes = 0;
                while (at < end && line[at] == L'\\') {
                    ++backslashes;
                    ++at;
                }
                if (at < end && line[at] == L'"') {
                    argument.append(backslashes / 2, L'\\');
                    if (backslashes % 2 == 1) {
                        argument += L'"';
                        ++at;
                    }
                    // An even count leaves the quote to the quoting rule below.
                } else {
                    argument.append(backslashes, L'\\');
                }
                continue;
            }
            if (line[at] == L'"') {
                if (quoted && at + 1 < end && line[at + 1] == L'"') {
                    argument += L'"';
                    at += 2;
                    continue;
                }
                quoted = !quoted;
                ++at;
                continue;
            }
            argument += line[at++];
        }
        arguments.push_back(argument);
    }
    return arguments;
}

namespace {
// The option's name without its '/' or '-', in lower case; empty when `argument` is no option.
std::wstring OptionName(const std::wstring& argument) {
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-'))
        return L"";
    std::wstring name;
    for (std::size_t i = 1; i < argument.size(); ++i)
        name += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(argument[i])));
    return name;
}

// One of the options this tool knows, by its name from OptionName.
bool IsToolOption(const std::wstring& name) {
    return name == L"quiet" || name == L"passive" || name == L"log" || name == L"?" || name == L"help";
}

// Whether the argument after /log at `i` is its file: present, not empty, and not one of the tool's
// own options (a forgotten file name must not turn "/log /quiet" into a log named \quiet and a dialog).
bool LogFileFollows(const std::vector<std::wstring>& arguments, std::size_t i) {
    return i + 1 < arguments.size() && !arguments[i + 1].empty() && !IsToolOption(OptionName(arguments[i + 1]));
}

}  // namespace

COMMAND_LINE ParseArguments(const std::vector<std::wstring>& arguments) {
    // The whole line is read even after a mistake: a deployment runs where nobody can close a message
    // box, and /quiet keeps the usage off the screen wherever it stands.
    COMMAND_LINE parsed;
    bool help = false;
    bool logGiven = false;
    bool invalid = false;
    const auto mistake = [&](const std::wstring& problem) {
        if (!invalid)
            parsed.problem = problem;
        invalid = true;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring name = OptionName(arguments[i]);
        if (name == L"quiet" || name == L"passive") {
            const E_RUN_MODE mode = name == L"quiet" ? RUN_QUIET : RUN_PASSIVE;
            parsed.bQuiet = parsed.bQuiet || mode == RUN_QUIET;
            if (parsed.mode != RUN_DIALOG && parsed.mode != mode)
                mistake(arguments[i]);
            parsed.mode = mode;
        } else if (name == L"log") {
            if (!LogFileFollows(arguments, i)) {
                mistake(arguments[i] + L" without a file");
                continue;
            }
            if (logGiven)
                mistake(arguments[i] + L" given twice");
            logGiven = true;
            parsed.logPath = arguments[++i];
        } else if (name == L"?" || name == L"help") {
            help = true;
        } else {
            mistake(arguments[i]);
        }
    }
    if (invalid)
        parsed.mode = RUN_INVALID;
    else if (help)
        parsed.mode = RUN_HELP;
    return parsed;
}

}  // namespace zr
