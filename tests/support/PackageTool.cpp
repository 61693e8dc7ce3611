#include "tests/support/PackageTool.h"

#include "framework/ScopedHandle.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

namespace zr::test {

std::string PackageToolPath() {
    return RequiredPath("ZR_PACKAGE_TOOL");
}

::testing::AssertionResult RunsToTheEnd(const std::string& exe,
                                        const std::string& arguments,
                                        const std::string& folder,
                                        PROGRAM_RUN* run,
                                        DWORD timeoutMs) {
    *run = PROGRAM_RUN();
    // The output goes to a file of the temp folder, removed when the last handle closes; the child
    // appends, this process reads it back through its own handle.
    char temp[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    if (!::GetTempPathA(sizeof temp, temp) || !::GetTempFileNameA(temp, "zro", 0, path))
        return ::testing::AssertionFailure() << "no file for the output of " << exe;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    ScopedKernelHandle output(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable,
                                            CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!output)
        return ::testing::AssertionFailure() << "cannot open " << path << " (error " << ::GetLastError() << ")";

    PROCESS_INFORMATION process = {};
    if (!StartChildProcess(exe.c_str(), "\"" + exe + "\" " + arguments, folder.c_str(), &process, output.get()))
        return ::testing::AssertionFailure() << exe << " did not start (error " << ::GetLastError() << ")";
    ScopedKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    if (::WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 99);
        ::WaitForSingleObject(process.hProcess, 5000);
        return ::testing::AssertionFailure() << exe << " " << arguments << " did not end within " << timeoutMs << " ms";
    }
    ::GetExitCodeProcess(process.hProcess, &run->exitCode);

    ::SetFilePointer(output.get(), 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(output.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        run->output.append(buffer, read);
    return ::testing::AssertionSuccess();
}

}  // namespace zr::test
