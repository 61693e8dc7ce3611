// What `strace -f -C -y` wrote about a process tree, read back for the benchmark's syscall counts:
// the calls of each name from its summary table (one table per personality when the tree used more
// than one) and, from its trace lines, the requests sent to the Wine server.
#pragma once

#include <map>
#include <string>

namespace zr::bench {

struct SYSCALL_COUNTS {
    std::map<std::string, unsigned long long> byName;  // summed over every summary table
    unsigned long long total = 0;                      // the sum of byName
    // write and writev calls on pipes: Wine sends each request to its server that way (write when the
    // request has no data after its header, writev when it has), and reads the reply from another pipe.
    unsigned long long serverRequests = 0;
};

// Reads strace's output. False, with *counts untouched, when the text holds no summary table.
bool ReadStraceOutput(const std::string& text, SYSCALL_COUNTS* counts);

}  // namespace zr::bench
