#include "bench/StraceSummary.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace zr::bench {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// A trace line, "PID name(FD<pipe:[INODE]>, ..." with -f and -y: true when it starts a write or writev
// on a pipe. A call split by another thread's ("<unfinished ...>", then "<... write resumed>") counts
// once, at its start.
bool IsPipeWrite(const std::string& line) {
    std::size_t at = line.find_first_not_of("0123456789");
    if (at == std::string::npos || at == 0 || line[at] != ' ')
        return false;
    at = line.find_first_not_of(' ', at);
    const std::size_t open = line.find('(', at);
    if (at == std::string::npos || open == std::string::npos)
        return false;
    const std::string name = line.substr(at, open - at);
    if (name != "write" && name != "writev")
        return false;
    const std::size_t fdEnd = line.find_first_not_of("0123456789", open + 1);
    return fdEnd != std::string::npos && fdEnd > open + 1 && line.compare(fdEnd, 7, "<pipe:[") == 0;
}

}  // namespace

bool ReadStraceOutput(const std::string& text, SYSCALL_COUNTS* counts) {
    SYSCALL_COUNTS read;
    bool inTable = false, sawTable = false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 6, "% time") == 0) {
            inTable = sawTable = true;
            continue;
        }
        if (!inTable) {
            read.serverRequests += IsPipeWrite(line) ? 1 : 0;
            continue;
        }
        // A row: % time, seconds, usecs/call, calls, [errors], name; the table ends at its total.
        const std::vector<std::string> words = Words(line);
        if (words.empty() || words[0].compare(0, 6, "------") == 0)
            continue;
        if (words.back() == "total") {
            inTable = false;
            continue;
        }
        if (words.size() < 5)
            return false;
        const unsigned long long calls = std::strtoull(words[3].c_str(), nullptr, 10);
        read.byName[words.back()] += calls;
        read.total += calls;
    }
    if (!sawTable || inTable)
        return false;
    *counts = read;
    return true;
}

}  // namespace zr::bench
