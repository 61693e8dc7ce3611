// What another program of the same user does from the Linux side of the Wine prefix's drive, for the
// attack tests: symbolic links standing in for junctions, a link retargeted while the tool works, and a
// program that replaces every file closed after writing (inotify), which Wine cannot make or watch
// itself. The work is done by a Linux program (tests/support/LinuxSideMain.cpp, built with the host
// compiler; its path in ZR_LINUX_SIDE).
//
// How the two sides meet, the simplest way found to be reliable: CreateProcess of the Linux program's
// path works under Wine (an ELF file is forked and executed as a Linux process), but the caller gets no
// process handle to wait for, and when it has no console, as under ctest, the program gets no standard
// handles either. So each run has a control folder: the program creates `ready` there once its watches
// are set and `done` (renamed into place whole: "ok" or "error: ...", then its report) when it ends; a
// watching run ends when the test creates `stop`. The test waits for those names with a change
// notification on the control folder, never by sleeping.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

namespace zr::test {

// The Linux path of a Windows path (Wine's wine_get_unix_file_name), without a trailing slash; empty
// when Wine gives none.
std::string UnixPath(const std::string& windowsPath);

// One run of the Linux program. The arguments follow the control folder (see LinuxSideMain.cpp);
// paths among them must already be Linux paths.
class LinuxSide {
  public:
    LinuxSide();
    ~LinuxSide();  // says stop to a watching run that is still going, and waits for it
    LinuxSide(const LinuxSide&) = delete;
    LinuxSide& operator=(const LinuxSide&) = delete;

    // Runs a command to its end; *report (may be null) receives the lines after "ok".
    ::testing::AssertionResult Run(const std::vector<std::string>& arguments, std::string* report = nullptr);
    // Starts a watching command and returns once its watches are set.
    ::testing::AssertionResult Start(const std::vector<std::string>& arguments);
    // Ends a watching command; *report (may be null) receives its report.
    ::testing::AssertionResult Stop(std::string* report = nullptr);

  private:
    ::testing::AssertionResult Launch(const std::vector<std::string>& arguments);
    ::testing::AssertionResult Finished(std::string* report);

    ScratchFolder m_control;
    bool m_running = false;
};

// Symbolic links made from the Linux side (Windows paths here), each removed, never what it points
// to, when the object goes: deleting a scratch folder through a link would empty its target.
class SymbolicLinks {
  public:
    SymbolicLinks() = default;
    ~SymbolicLinks();
    SymbolicLinks(const SymbolicLinks&) = delete;
    SymbolicLinks& operator=(const SymbolicLinks&) = delete;

    // `link` (no trailing backslash), where nothing or a link stands, becomes a link to the folder
    // `target`.
    ::testing::AssertionResult Make(const std::string& link, const std::string& target);
    // Removes the link at `link` now.
    ::testing::AssertionResult Remove(const std::string& link);
    // A link this object will remove, made by someone else (a retargeting run).
    void Adopt(const std::string& link) { m_links.push_back(link); }

  private:
    std::vector<std::string> m_links;
};

}  // namespace zr::test
