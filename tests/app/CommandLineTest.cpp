// The command line as Windows splits it and as the tool reads it, as tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

using Words = std::vector<std::wstring>;

struct SplitCase {
    int row;
    const wchar_t* line;
    Words expected;  // the program's name first
};

const SplitCase SPLIT_CASES[] = {
    {1, L"", {L""}},
    {2, L"tool.exe", {L"tool.exe"}},
    {3, L"\"C:\\Program Files\\tool.exe\" /quiet", {L"C:\\Program Files\\tool.exe", L"/quiet"}},
    // The program's name takes no escapes: a trailing backslash before the quote stays.
    {4, L"\"C:\\dir\\\" /quiet", {L"C:\\dir\\", L"/quiet"}},
    {5, L"tool   /quiet\t\t/log  x.log  ", {L"tool", L"/quiet", L"/log", L"x.log"}},
    {6, L"tool /log \"C:\\My Logs\\update log.txt\"", {L"tool", L"/log", L"C:\\My Logs\\update log.txt"}},
    {7, L"tool a\"b c\"d", {L"tool", L"ab cd"}},
    {8, L"tool \"\"", {L"tool", L""}},
    {9, L"tool \\\\server\\share\\log", {L"tool", L"\\\\server\\share\\log"}},
    // 2n backslashes before a quote: n of them, and the quote opens or closes.
    {10, L"tool \"C:\\logs\\\\\" next", {L"tool", L"C:\\logs\\", L"next"}},
    // 2n+1: n of them and a literal quote.
    {11, L"tool a\\\"b", {L"tool", L"a\"b"}},
    {12, L"tool a\\\\\\\"b", {L"tool", L"a\\\"b"}},
    {13, L"tool \"a\"\"b\"", {L"tool", L"a\"b"}},
    // An unclosed quote runs to the end of the line.
    {14, L"tool \"open ended", {L"tool", L"open ended"}},
    {15, L"tool.exe/quiet", {L"tool.exe/quiet"}},
};

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    for (const SplitCase& c : SPLIT_CASES) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(zr::SplitCommandLine(c.line), c.expected);
    }
}

struct ParseCase {
    int row;
    Words arguments;
    zr::E_RUN_MODE mode;
    const wchar_t* logPath;
    bool quiet;
};

const ParseCase PARSE_CASES[] = {
    {1, {}, zr::RUN_DIALOG, L"", false},
    {2, {L"/quiet"}, zr::RUN_QUIET, L"", true},
    {3, {L"-QUIET"}, zr::RUN_QUIET, L"", true},
    {4, {L"/Passive"}, zr::RUN_PASSIVE, L"", false},
    {5, {L"/quiet", L"/quiet"}, zr::RUN_QUIET, L"", true},
    {6, {L"/quiet", L"/log", L"C:\\a b\\x.log"}, zr::RUN_QUIET, L"C:\\a b\\x.log", true},
    {7, {L"-Log", L"x.log", L"/passive"}, zr::RUN_PASSIVE, L"x.log", false},
    // The file of /log may start like an option, but is none of the tool's.
    {8, {L"/log", L"/x.log"}, zr::RUN_DIALOG, L"/x.log", false},
    {9, {L"/log", L"x.log"}, zr::RUN_DIALOG, L"x.log", false},
    {10, {L"/?"}, zr::RUN_HELP, L"", false},
    {11, {L"-HELP"}, zr::RUN_HELP, L"", false},
    {12, {L"/quiet", L"/?"}, zr::RUN_HELP, L"", true},
    // Mistakes: nothing is run, whatever else the line says.
    {13, {L"/silent"}, zr::RUN_INVALID, L"", false},
    {14, {L"/quiet", L"/silent"}, zr::RUN_INVALID, L"", true},
    {15, {L"/quiet", L"/log"}, zr::RUN_INVALID, L"", true},
    {16, {L"/log", L""}, zr::RUN_INVALID, L"", false},
    {17, {L"/quiet", L"/passive"}, zr::RUN_INVALID, L"", true},
    {18, {L"/log", L"a", L"/log", L"b"}, zr::RUN_INVALID, L"", false},
    {19, {L"quiet"}, zr::RUN_INVALID, L"", false},
    {20, {L"/"}, zr::RUN_INVALID, L"", false},
    {21, {L"/?", L"/bogus"}, zr::RUN_INVALID, L"", false},
    {22, {L"/quietly"}, zr::RUN_INVALID, L"", false},
    // One of the tool's options after /log is /log without its file, and /quiet still counts.
    {23, {L"/passive", L"/log", L"/quiet"}, zr::RUN_INVALID, L"", true},
    {24, {L"/log", L"/quiet"}, zr::RUN_INVALID, L"", true},
    {25, {L"/quiet", L"/log", L"/passive"}, zr::RUN_INVALID, L"", true},
    {26, {L"/log", L"-quiet"}, zr::RUN_INVALID, L"", true},
    {27, {L"/log", L"-LOG", L"x.log"}, zr::RUN_INVALID, L"", false},
    {28, {L"/log", L"/?"}, zr::RUN_INVALID, L"", false},
    {29, {L"/log", L"-Help", L"/quiet"}, zr::RUN_INVALID, L"", true},
};

TEST(ParseArguments, ReadsOptionsWithoutRegardToCaseOrPrefix) {
    for (const ParseCase& c : PARSE_CASES) {
        SCOPED_TRACE(c.row);
        const zr::COMMAND_LINE parsed = zr::ParseArguments(c.arguments);
        EXPECT_EQ(parsed.mode, c.mode);
        EXPECT_EQ(parsed.bQuiet, c.quiet);
        if (c.mode == zr::RUN_INVALID)
            EXPECT_FALSE(parsed.problem.empty());
        else
            EXPECT_EQ(parsed.logPath, c.logPath);
    }
}

TEST(ParseArguments, NamesTheArgumentThatIsWrong) {
    EXPECT_EQ(zr::ParseArguments({L"/quiet", L"/Silent"}).problem, L"/Silent");
    EXPECT_EQ(zr::ParseArguments({L"/LOG"}).problem, L"/LOG without a file");
    EXPECT_EQ(zr::ParseArguments({L"/quiet", L"-log", L"/passive"}).problem, L"-log without a file");
}

}  // namespace
