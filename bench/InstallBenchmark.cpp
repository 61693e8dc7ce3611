// How long the installer takes against plain CopyFileA of the same files, and how much memory it
// needs, for many small payloads and for one large one. Each measurement runs in a fresh child
// process, so that the peak working set is the installer's alone.
//
//   zr_install_bench [ROUNDS]                    all scenarios, best of ROUNDS runs each (default 3)
//   zr_install_bench --child install|copy SCENARIO_FOLDER RESULT_FILE     one measurement
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"
#include "package/PackageFormat.h"
#include "package/PackageInstall.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

constexpr unsigned long long MiB = 1024 * 1024;

struct Scenario {
    const char* name;
    unsigned files;
    unsigned long long bytesPerFile;
};

const Scenario kScenarios[] = {
    {"255 entries of 1 MiB", 255, 1 * MiB},
    {"1 entry of 512 MiB", 1, 512 * MiB},
};

std::string FileName(unsigned i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%03u.xls", i);
    return name;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void MemoryUse(SIZE_T* current, SIZE_T* peak) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    *current = counters.WorkingSetSize;
    *peak = counters.PeakWorkingSetSize;
}

// Writes a file of `size` bytes of varying content through a 1 MiB buffer.
bool WriteSource(const std::string& path, unsigned long long size, unsigned seed) {
    zr::ScopedFile file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    std::vector<unsigned char> chunk(MiB);
    unsigned state = seed * 2654435761u + 1;
    for (unsigned long long left = size; left > 0;) {
        for (unsigned char& byte : chunk) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<unsigned char>(state >> 16);
        }
        const std::size_t n = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
        if (std::fwrite(chunk.data(), 1, n, file.get()) != n)
            return false;
        left -= n;
    }
    return std::fclose(file.release()) == 0;
}

// The scenario's folder: src\ (the payloads as files), work\vupcab, and two installations that
// already hold older copies, inst\ for the installer and copy\ for CopyFileA.
bool Prepare(const Scenario& scenario, const std::string& folder) {
    for (const char* sub : {"", "src\\", "work\\", "inst\\", "inst\\EXCEL\\", "copy\\", "copy\\EXCEL\\"})
        ::CreateDirectoryA((folder + sub).c_str(), nullptr);
    zr::PackageContents contents;
    contents.version = "1.05";
    contents.language = 1;
    for (unsigned i = 0; i < scenario.files; ++i) {
        const std::string source = folder + "src\\" + FileName(i);
        if (!WriteSource(source, scenario.bytesPerFile, i) ||
            !WriteSource(folder + "inst\\EXCEL\\" + FileName(i), 1024, i + 1000) ||
            !::CopyFileA((folder + "inst\\EXCEL\\" + FileName(i)).c_str(),
                         (folder + "copy\\EXCEL\\" + FileName(i)).c_str(), FALSE))
            return false;
        contents.entries.push_back({"EXCEL\\" + FileName(i), source, ""});
    }
    std::string error;
    if (!zr::WritePackage(contents, folder + "work\\vupcab", &error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return false;
    }
    return true;
}

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(folder + name + "\\");
            else
                ::DeleteFileA((folder + name).c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

// One measurement inside the child: the seconds taken, the working set before it, the peak after.
int Child(const std::string& what, const std::string& folder, const std::string& resultPath, unsigned files) {
    SIZE_T idle = 0, peak = 0, ignored = 0;
    MemoryUse(&idle, &ignored);
    bool ok = true;
    LARGE_INTEGER start, end;
    if (what == "install") {
        const std::string installFolder = folder + "inst\\";
        ::SetCurrentDirectoryA((folder + "work\\").c_str());
        ::QueryPerformanceCounter(&start);
        ok = InstallPackageFile(PACKAGE_FILE_NAME, installFolder.c_str());
        ::QueryPerformanceCounter(&end);
    } else {
        ::QueryPerformanceCounter(&start);
        for (unsigned i = 0; ok && i < files; ++i) {
            ok = ::CopyFileA((folder + "src\\" + FileName(i)).c_str(), (folder + "copy\\EXCEL\\" + FileName(i)).c_str(),
                             FALSE) != FALSE;
        }
        ::QueryPerformanceCounter(&end);
    }
    MemoryUse(&ignored, &peak);
    zr::ScopedFile result(std::fopen(resultPath.c_str(), "w"));
    if (!result)
        return 1;
    std::fprintf(result.get(), "%d %.6f %llu %llu\n", ok ? 1 : 0, Seconds(start, end),
                 static_cast<unsigned long long>(idle), static_cast<unsigned long long>(peak));
    return ok ? 0 : 1;
}

struct Measurement {
    bool ok = false;
    double seconds = 0;
    unsigned long long idleBytes = 0;
    unsigned long long peakBytes = 0;
};

// Writes back what earlier runs left dirty, so that no run pays for the one before it. Wine starts the
// build machine's own sync for this; where it cannot, the runs simply go unsettled.
void SettleDisk() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char command[] = "Z:\\bin\\sync";
    if (::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, 60000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

Measurement RunChild(const char* what, const std::string& folder, unsigned files) {
    SettleDisk();
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string resultPath = folder + "result.txt";
    // The folder goes without its trailing backslash: before a closing quote it would escape it.
    const std::string bare = folder.substr(0, folder.size() - 1);
    std::string command = "\"" + std::string(self) + "\" --child " + what + " \"" + bare + "\" \"" + resultPath +
                          "\" " + std::to_string(files);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    Measurement m;
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return m;
    zr::ScopedKernelHandle processHandle(process.hProcess);
    zr::ScopedKernelHandle threadHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    zr::ScopedFile result(std::fopen(resultPath.c_str(), "r"));
    int ok = 0;
    if (result && std::fscanf(result.get(), "%d %lf %llu %llu", &ok, &m.seconds, &m.idleBytes, &m.peakBytes) == 4)
        m.ok = ok == 1;
    return m;
}

double MiBOf(unsigned long long bytes) {
    return static_cast<double>(bytes) / static_cast<double>(MiB);
}

}  // namespace

int main(int argc, char** argv) {
    // A child never runs the scenarios itself, whatever its command line says.
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        if (argc != 6)
            return 2;
        return Child(argv[2], std::string(argv[3]) + "\\", argv[4],
                     static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10)));
    }
    if (std::getenv("ZR_BENCH_CHILD") != nullptr)
        return 2;
    ::SetEnvironmentVariableA("ZR_BENCH_CHILD", "1");
    const unsigned rounds = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 3;

    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    bool allMet = true;
    std::printf("%-22s %10s %10s %7s %14s %14s\n", "scenario", "install s", "copy s", "ratio", "peak WS MiB",
                "idle WS MiB");
    for (const Scenario& scenario : kScenarios) {
        const std::string folder = std::string(temp) + "zr-bench-" + std::to_string(::GetCurrentProcessId()) + "\\";
        if (!Prepare(scenario, folder)) {
            std::fprintf(stderr, "bench: cannot prepare \"%s\" in %s\n", scenario.name, folder.c_str());
            DeleteTree(folder);
            return 1;
        }
        // Best of the rounds, alternating, so that both sides see the same file cache.
        Measurement install, copy;
        for (unsigned round = 0; round < (rounds ? rounds : 1); ++round) {
            const Measurement c = RunChild("copy", folder, scenario.files);
            const Measurement i = RunChild("install", folder, scenario.files);
            if (!c.ok || !i.ok) {
                std::fprintf(stderr, "bench: a run of \"%s\" failed (copy %d, install %d)\n", scenario.name, c.ok,
                             i.ok);
                DeleteTree(folder);
                return 1;
            }
            if (round == 0 || c.seconds < copy.seconds)
                copy = c;
            if (round == 0 || i.seconds < install.seconds)
                install.seconds = i.seconds;
            if (i.peakBytes > install.peakBytes) {
                install.peakBytes = i.peakBytes;
                install.idleBytes = i.idleBytes;
            }
        }
        DeleteTree(folder);
        const double ratio = install.seconds / copy.seconds;
        std::printf("%-22s %10.3f %10.3f %7.2f %14.1f %14.1f\n", scenario.name, install.seconds, copy.seconds, ratio,
                    MiBOf(install.peakBytes), MiBOf(install.idleBytes));
        allMet = allMet && ratio <= 1.3 && install.peakBytes < 16 * MiB;
    }
    std::printf("targets (ratio at most 1.30, peak working set below 16 MiB): %s\n", allMet ? "met" : "NOT met");
    std::fflush(stdout);
    return 0;
}
