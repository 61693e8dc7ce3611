// The benchmark's reading of strace's output: the summary tables and the requests to the Wine server.
#include <gtest/gtest.h>

#include <string>

#include "bench/StraceSummary.h"

namespace {

using zr::bench::ReadStraceOutput;
using zr::bench::SYSCALL_COUNTS;

const char TABLE_HEAD[] =
    "% time     seconds  usecs/call     calls    errors syscall\n"
    "------ ----------- ----------- --------- --------- ----------------\n";
const char TABLE_FOOT[] = "------ ----------- ----------- --------- --------- ----------------\n";

TEST(StraceSummary, ReadsCallsTablesAndServerRequests) {
    struct Case {
        int line;
        std::string text;
        unsigned long long total, reads, writes, requests;
    };
    const std::string head = TABLE_HEAD, foot = TABLE_FOOT;
    const Case cases[] = {
        // Rows with and without errors; the total row's own figure is not trusted, the rows are summed.
        {__LINE__,
         head + " 60.00    0.000600          10        60           read\n" +
             " 40.00    0.000400          20        20         4 write\n" + foot +
             "100.00    0.001000          12        99         4 total\n",
         80, 60, 20, 0},
        // One table per personality: the counts of a name add up.
        {__LINE__,
         "System call usage summary for 32 bit mode:\n" + head + " 90.00 0.1 1 7 read\n" + foot +
             "100.00 0.1 1 7 total\n" + "System call usage summary for 64 bit mode:\n" + head +
             " 90.00 0.1 1 5 read\n" + " 10.00 0.1 1 2 write\n" + foot + "100.00 0.1 1 7 total\n",
         14, 12, 2, 0},
        // Writes on pipes are server requests; on files, sockets and resumed halves they are not.
        {__LINE__,
         "101 write(5<pipe:[4711]>, \"\\1\\0\", 64) = 64\n"
         "101 writev(5<pipe:[4711]>, [{iov_base=\"\", iov_len=64}], 2) = 80\n"
         "102 write(9<pipe:[4712]>, \"\", 64 <unfinished ...>\n"
         "101 <... write resumed>) = 64\n"
         "101 write(7</tmp/f000.xls~new>, \"\", 4096) = 4096\n"
         "101 write(8<socket:[99]>, \"\", 4) = 4\n"
         "101 pwrite64(5<pipe:[4711]>, \"\", 4, 0) = -1\n"
         "101 read(5<pipe:[4711]>, \"\", 64) = 64\n" +
             head + " 100.00 0.1 1 3 write\n" + foot + "100.00 0.1 1 3 total\n",
         3, 0, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SYSCALL_COUNTS counts;
        ASSERT_TRUE(ReadStraceOutput(c.text, &counts));
        EXPECT_EQ(c.total, counts.total);
        EXPECT_EQ(c.reads, counts.byName["read"]);
        EXPECT_EQ(c.writes, counts.byName["write"]);
        EXPECT_EQ(c.requests, counts.serverRequests);
    }
}

TEST(StraceSummary, RefusesOutputWithoutAWholeTable) {
    const std::string head = TABLE_HEAD;
    const struct {
        int line;
        std::string text;
    } cases[] = {
        {__LINE__, ""},
        {__LINE__, "101 write(5<pipe:[4711]>, \"\", 64) = 64\n"},
        {__LINE__, head + " 60.00    0.000600          10        60           read\n"},  // cut before its total
        {__LINE__, head + " 60.00 read\n" + TABLE_FOOT + "100.00 0.1 1 60 total\n"},     // a row without its figures
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        SYSCALL_COUNTS counts;
        counts.total = 42;
        EXPECT_FALSE(ReadStraceOutput(c.text, &counts));
        EXPECT_EQ(42u, counts.total);  // untouched
    }
}

}  // namespace
