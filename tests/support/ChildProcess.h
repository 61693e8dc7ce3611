// Starting the programs a test runs beside itself (the tool, stand-ins, the faulty installer).
#pragma once

#include <windows.h>

#include <string>

namespace zr::test {

// CreateProcessA(application, commandLine, ..., folder, ...) with this process's environment and no
// inherited handles; `application` and `folder` may be null. Under load, Wine now and then fails a
// start with ERROR_INTERNAL_ERROR: the new process ended while Wine was still setting it up, before
// any code of the program ran. Such a start is tried again, a few times; any other failure is
// returned at once. On failure `*process` is zeroed and the last error is the start's. With `output`
// (an inheritable handle) the child's standard output and error go to it; the child then inherits it,
// and any other handle a test made inheritable (the frame makes none).
bool StartChildProcess(const char* application,
                       std::string commandLine,
                       const char* folder,
                       PROCESS_INFORMATION* process,
                       HANDLE output = nullptr);

}  // namespace zr::test
