// How long the installer takes against three yardsticks of the same files, and how much memory it
// needs, for many small payloads and for one large one:
//   floor       the bare safe steps per file (bench/SafeStepsFloor.h): new file beside the
//               destination, flushed, old one renamed aside, new one renamed in, backups deleted;
//   copy-flush  CopyFileA of each file, each copy flushed to the disk;
//   CopyFileA   plain CopyFileA of each file.
// Each measurement runs in a fresh child process, so that the peak working set is the installer's
// alone. Runs come in rounds of one run each (installer first and last in turn), each from the same
// state with the disk settled before it, and every figure is the median of the per-round ratios
// with their minimum and maximum: the page cache and write-back of earlier runs weigh more than the
// installer does, and a best-of figure swings with them.
//
//   zr_install_bench [PAIRS [FOLDER]]   all scenarios, PAIRS rounds each (default 7, at least 7 unless
//                                       ZR_BENCH_TRIAL is set), in FOLDER (default: the temp folder),
//                                       e.g. Z:\dev\shm\ for tmpfs
//   zr_install_bench --child install|install-signed|install-worker|floor|copy|copy-flush|idle SCENARIO_FOLDER
//   RESULT_FILE FILES
//                                       one run ("idle": the process alone, for the syscall counts)
//   zr_install_bench --prepare N FOLDER
//                                       writes scenario N (1-3) into FOLDER and leaves it, for the
//                                       scripts that run the child themselves (bench/syscalls,
//                                       bench/install-vs-nsis); prints its file count and name
//   zr_install_bench --syscalls N IDLE INSTALL FLOOR
//                                       prints scenario N's system calls per file from three outputs of
//                                       strace -f -C -y around a child each
// With ZR_BENCH_SIGNED=1 each round also installs the package's signed twin, and it prints the share
// of the signed install's time that the signature check takes; with ZR_BENCH_WORKER=1 each round also
// installs as the dialog does (its own thread, progress posted to a window), and it prints the ratio
// of that to the direct install. With ZR_BENCH_ON_TMPFS set the copy-flush target is not judged (it
// is for the disk).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/SafeStepsFloor.h"
#include "bench/StraceSummary.h"
#include "dialog/InstallWorker.h"
#include "framework/ScopedHandle.h"
#include "format/PackageFormat.h"
#include "format/PackageHeader.h"
#include "installer/PackageInstall.h"
#include "tools/vupcab/PackageSigning.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

constexpr unsigned long long KiB = 1024;
constexpr unsigned long long MiB = 1024 * KiB;

struct Scenario {
    const char* name;
    unsigned files;
    unsigned long long bytesPerFile;
};

const Scenario SCENARIOS[] = {
    {"255 entries of 1 MiB", 255, 1 * MiB},
    {"1 entry of 512 MiB", 1, 512 * MiB},
    // Small files: the per-file work (opening, the record, renames, flushes) outweighs the bytes.
    {"255 entries of 4 KiB", 255, 4 * KiB},
};
constexpr unsigned SCENARIO_COUNT = sizeof SCENARIOS / sizeof SCENARIOS[0];

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
        // Only the bytes written are made: the resets write hundreds of 1 KiB files per run.
        const std::size_t n = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
        for (std::size_t i = 0; i < n; ++i) {
            state = state * 1103515245u + 12345u;
            chunk[i] = static_cast<unsigned char>(state >> 16);
        }
        if (std::fwrite(chunk.data(), 1, n, file.get()) != n)
            return false;
        left -= n;
    }
    return std::fclose(file.release()) == 0;
}

// Puts the older copies back into both installations, so that every run starts from the same state.
bool ResetInstallations(const Scenario& scenario, const std::string& folder) {
    for (unsigned i = 0; i < scenario.files; ++i) {
        if (!WriteSource(folder + "inst\\EXCEL\\" + FileName(i), 1024, i + 1000) ||
            !WriteSource(folder + "copy\\EXCEL\\" + FileName(i), 1024, i + 1000))
            return false;
    }
    return true;
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
    // The signed twin in signed\, with a key made for this run.
    zr::KeyPair key = {};
    ::CreateDirectoryA((folder + "signed\\").c_str(), nullptr);
    if (!::CopyFileA((folder + "work\\vupcab").c_str(), (folder + "signed\\vupcab").c_str(), FALSE) ||
        !zr::GenerateKeyPair(&key) || !zr::SignPackageFile(folder + "signed\\vupcab", key, &error)) {
        std::fprintf(stderr, "bench: cannot sign the package %s\n", error.c_str());
        return false;
    }
    return true;
}

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const zr::ScopedFindHandle search(::FindFirstFileA((folder + "*").c_str(), &found));
    if (search) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(folder + name + "\\");
            else
                ::DeleteFileA((folder + name).c_str());
        } while (::FindNextFileA(search.get(), &found));
    }
    ::RemoveDirectoryA(folder.c_str());
}

// One measurement inside the child: the seconds taken, the working set before it, the peak after.
int Child(const std::string& what, const std::string& folder, const std::string& resultPath, unsigned files) {
    SIZE_T idle = 0, peak = 0, ignored = 0;
    MemoryUse(&idle, &ignored);
    bool ok = true;
    LARGE_INTEGER start, end;
    if (what == "install" || what == "install-signed") {
        const std::string installFolder = folder + "inst\\";
        ::SetCurrentDirectoryA((folder + (what == "install" ? "work\\" : "signed\\")).c_str());
        ::QueryPerformanceCounter(&start);
        ok = zr::InstallPackage(zr::PACKAGE_FILE_NAME, installFolder.c_str(), nullptr, nullptr) == zr::INSTALL_DONE;
        ::QueryPerformanceCounter(&end);
    } else if (what == "install-worker") {
        // As the dialog runs it: on its own thread, the progress posted to a window whose thread
        // pumps messages until the outcome arrives.
        const std::string installFolder = folder + "inst\\";
        ::SetCurrentDirectoryA((folder + "work\\").c_str());
        zr::UPDATE_EVALUATION evaluation;
        evaluation.packagePath = zr::PACKAGE_FILE_NAME;
        ok = zr::ReadPackageHeader(zr::PACKAGE_FILE_NAME, &evaluation.package);
        std::snprintf(evaluation.paths.szInstallFolder, sizeof evaluation.paths.szInstallFolder, "%s",
                      installFolder.c_str());
        HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        zr::CInstallWorker worker;
        ::QueryPerformanceCounter(&start);
        ok = ok && window && worker.Start(evaluation, nullptr, window);
        MSG message;
        while (ok && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == zr::WM_ZR_INSTALL_ENDED) {
                ok = reinterpret_cast<const zr::INSTALL_RESULT*>(message.lParam)->outcome == zr::INSTALL_DONE;
                break;
            }
            ::DispatchMessageA(&message);
        }
        worker.Join();
        ::QueryPerformanceCounter(&end);
        if (window)
            ::DestroyWindow(window);
    } else if (what == "floor") {
        ::QueryPerformanceCounter(&start);
        ok = zr::bench::PlaceBySafeSteps(folder + "work\\" + zr::PACKAGE_FILE_NAME, folder + "inst\\");
        ::QueryPerformanceCounter(&end);
    } else if (what == "idle") {
        ::QueryPerformanceCounter(&start);
        end = start;
    } else {
        // copy-flush: every copy written through to the disk (FlushFileBuffers on each), as an
        // installer that flushes every file before its commit point must.
        const bool flush = what == "copy-flush";
        ::QueryPerformanceCounter(&start);
        for (unsigned i = 0; ok && i < files; ++i) {
            const std::string target = folder + "copy\\EXCEL\\" + FileName(i);
            ok = ::CopyFileA((folder + "src\\" + FileName(i)).c_str(), target.c_str(), FALSE) != FALSE;
            if (ok && flush) {
                zr::ScopedKernelHandle file(
                    ::CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
                ok = file && ::FlushFileBuffers(file.get());
            }
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
        const zr::ScopedKernelHandle thread(process.hThread), child(process.hProcess);
        ::WaitForSingleObject(child.get(), 60000);
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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Figures {
    double median, minimum, maximum;
};

Figures Summarise(const std::vector<double>& ratios) {
    return {Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
            *std::max_element(ratios.begin(), ratios.end())};
}

bool ReadWholeFile(const std::string& path, std::string* text) {
    zr::ScopedFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    char buffer[64 * 1024];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        text->append(buffer, n);
    return std::ferror(file.get()) == 0;
}

// The calls of each name per file, less the idle child's: what the work itself asked of the system.
std::vector<std::pair<std::string, double>> PerFileCalls(const zr::bench::SYSCALL_COUNTS& run,
                                                         const zr::bench::SYSCALL_COUNTS& idle,
                                                         unsigned files) {
    std::map<std::string, double> perFile;
    for (const auto& [name, calls] : run.byName)
        perFile[name] += static_cast<double>(calls) / files;
    for (const auto& [name, calls] : idle.byName)
        perFile[name] -= static_cast<double>(calls) / files;
    std::vector<std::pair<std::string, double>> sorted(perFile.begin(), perFile.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return sorted;
}

// Prints the system calls per file of the installer and the floor, each less an idle child's (the
// process's start and end, and the start of the Wine server that each traced run begins), from three
// outputs of strace -f -C -y.
int PrintSyscalls(const Scenario& scenario, const char* idlePath, const char* installPath, const char* floorPath) {
    zr::bench::SYSCALL_COUNTS counts[3];
    const char* const paths[3] = {idlePath, installPath, floorPath};
    for (unsigned i = 0; i < 3; ++i) {
        std::string text;
        if (!ReadWholeFile(paths[i], &text) || !zr::bench::ReadStraceOutput(text, &counts[i])) {
            std::fprintf(stderr, "bench: no strace summary in %s\n", paths[i]);
            return 1;
        }
    }
    const zr::bench::SYSCALL_COUNTS& idle = counts[0];
    const double files = scenario.files;
    const auto perFile = [&](unsigned long long calls, unsigned long long idleCalls) {
        return (static_cast<double>(calls) - static_cast<double>(idleCalls)) / files;
    };
    const double installer = perFile(counts[1].total, idle.total), floor = perFile(counts[2].total, idle.total);
    const double installerRequests = perFile(counts[1].serverRequests, idle.serverRequests);
    const double floorRequests = perFile(counts[2].serverRequests, idle.serverRequests);
    std::printf("%-22s syscalls/file: installer %.1f, floor %.1f, ratio %.2f (whole trees: %llu, %llu; idle %llu)\n",
                scenario.name, installer, floor, installer / floor, counts[1].total, counts[2].total, idle.total);
    std::printf("%-22s server requests/file: installer %.1f, floor %.1f, ratio %.2f\n", "", installerRequests,
                floorRequests, installerRequests / floorRequests);
    const auto installerTop = PerFileCalls(counts[1], idle, scenario.files);
    const auto floorTop = PerFileCalls(counts[2], idle, scenario.files);
    std::printf("%-22s top calls/file: %-26s %s\n", "", "installer", "floor");
    for (std::size_t i = 0; i < 10 && i < installerTop.size() && i < floorTop.size(); ++i)
        std::printf("%-22s %-18s %8.1f    %-18s %8.1f\n", "", installerTop[i].first.c_str(), installerTop[i].second,
                    floorTop[i].first.c_str(), floorTop[i].second);
    std::fflush(stdout);
    return 0;
}

const Scenario* ScenarioNumbered(const char* text) {
    const unsigned n = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    return n >= 1 && n <= SCENARIO_COUNT ? &SCENARIOS[n - 1] : nullptr;
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
    if (argc == 4 && std::strcmp(argv[1], "--prepare") == 0) {
        const Scenario* scenario = ScenarioNumbered(argv[2]);
        std::string folder = argv[3];
        if (folder.back() != '\\')
            folder += '\\';
        if (scenario == nullptr || !Prepare(*scenario, folder)) {
            std::fprintf(stderr, "bench: cannot prepare scenario %s in %s\n", argv[2], folder.c_str());
            return 1;
        }
        // For the script: how many files, and the scenario's name.
        std::printf("%u %s\n", scenario->files, scenario->name);
        return 0;
    }
    if (argc == 6 && std::strcmp(argv[1], "--syscalls") == 0) {
        const Scenario* scenario = ScenarioNumbered(argv[2]);
        return scenario ? PrintSyscalls(*scenario, argv[3], argv[4], argv[5]) : 2;
    }
    if (std::getenv("ZR_BENCH_CHILD") != nullptr)
        return 2;
    ::SetEnvironmentVariableA("ZR_BENCH_CHILD", "1");
    unsigned pairs = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 7;
    // Fewer rounds only show that the bench runs; their figures are not a measurement.
    const bool trial = std::getenv("ZR_BENCH_TRIAL") != nullptr;
    pairs = pairs < (trial ? 1u : 7u) ? (trial ? 1u : 7u) : pairs;

    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    std::string base = argc > 2 ? argv[2] : temp;
    if (base.back() != '\\')
        base += '\\';
    bool allMet = true;
    std::printf("in %s, %u rounds%s; each ratio = installer / yardstick per round: median (min-max)\n", base.c_str(),
                pairs, pairs < 7 ? " (a trial: too few for figures)" : "");
    std::printf("%-22s %-18s %-18s %-18s %7s %7s %7s %7s %7s %7s %s\n", "scenario", "vs floor", "vs copy-flush",
                "vs CopyFileA", "inst s", "floor s", "cflsh s", "copy s", "WS+MiB", "flush x", "targets");
    // ZR_BENCH_SCENARIO=N runs only the N-th scenario (1 to 3).
    const char* only = std::getenv("ZR_BENCH_SCENARIO");
    const bool signedRuns = std::getenv("ZR_BENCH_SIGNED") != nullptr;
    const bool workerRuns = std::getenv("ZR_BENCH_WORKER") != nullptr;
    const bool onTmpfs = std::getenv("ZR_BENCH_ON_TMPFS") != nullptr;
    for (const Scenario& scenario : SCENARIOS) {
        if (only != nullptr && std::atoi(only) - 1 != static_cast<int>(&scenario - SCENARIOS))
            continue;
        const std::string folder = base + "zr-bench-" + std::to_string(::GetCurrentProcessId()) + "\\";
        if (!Prepare(scenario, folder)) {
            std::fprintf(stderr, "bench: cannot prepare \"%s\" in %s\n", scenario.name, folder.c_str());
            DeleteTree(folder);
            return 1;
        }
        // The runs of a round; the order is reversed every other round, so that no yardstick always
        // follows the installer.
        enum { INSTALL, FLOOR, COPY_FLUSH, COPY, INSTALL_SIGNED, INSTALL_WORKER, KINDS };
        const char* const KIND_NAMES[KINDS] = {"install", "floor",          "copy-flush",
                                               "copy",    "install-signed", "install-worker"};
        // The signed twin and the worker thread only when asked for: each adds a run to every round.
        std::vector<unsigned> active = {INSTALL, FLOOR, COPY_FLUSH, COPY};
        if (signedRuns)
            active.push_back(INSTALL_SIGNED);
        if (workerRuns)
            active.push_back(INSTALL_WORKER);
        const unsigned kinds = static_cast<unsigned>(active.size());
        std::vector<double> seconds[KINDS], ratios[KINDS], flushRatios, checkShares, signedRatios;
        unsigned long long growth[KINDS] = {};  // the worst peak working set above idle, per kind
        for (unsigned pair = 0; pair < pairs; ++pair) {
            Measurement runs[KINDS];
            for (unsigned k = 0; k < kinds; ++k) {
                const unsigned kind = active[pair % 2 == 0 ? k : kinds - 1 - k];
                if (!ResetInstallations(scenario, folder)) {
                    std::fprintf(stderr, "bench: cannot reset \"%s\"\n", scenario.name);
                    DeleteTree(folder);
                    return 1;
                }
                runs[kind] = RunChild(KIND_NAMES[kind], folder, scenario.files);
                if (!runs[kind].ok) {
                    std::fprintf(stderr, "bench: a %s run of \"%s\" failed\n", KIND_NAMES[kind], scenario.name);
                    DeleteTree(folder);
                    return 1;
                }
            }
            for (const unsigned kind : active) {
                seconds[kind].push_back(runs[kind].seconds);
                ratios[kind].push_back(runs[INSTALL].seconds / runs[kind].seconds);
            }
            if (signedRuns) {
                checkShares.push_back(1.0 - runs[INSTALL].seconds / runs[INSTALL_SIGNED].seconds);
                signedRatios.push_back(runs[INSTALL_SIGNED].seconds / runs[INSTALL].seconds);
            }
            flushRatios.push_back(runs[COPY_FLUSH].seconds / runs[COPY].seconds);
            for (const unsigned kind : active) {
                growth[kind] = std::max(growth[kind], runs[kind].peakBytes > runs[kind].idleBytes
                                                          ? runs[kind].peakBytes - runs[kind].idleBytes
                                                          : 0ull);
            }
        }
        DeleteTree(folder);
        const Figures floor = Summarise(ratios[FLOOR]);
        const Figures copyFlush = Summarise(ratios[COPY_FLUSH]);
        const Figures copy = Summarise(ratios[COPY]);
        // Within 1.1 of the floor everywhere; against flushed copies, on the disk only, 1.3 for many
        // files of 1 MiB, 1.1 for one large one (small files have no such target: there the per-file
        // work is the measure, against the floor); the working set at most 4 MiB above idle.
        const double copyLimit = scenario.bytesPerFile < MiB ? 0 : scenario.files > 1 ? 1.3 : 1.1;
        const bool copyJudged = copyLimit > 0 && !onTmpfs;
        const bool floorMet = floor.median <= 1.1;
        const bool copyMet = !copyJudged || copyFlush.median <= copyLimit;
        // Whatever the package: the signed twin's run counts too.
        const bool memoryMet = std::max(growth[INSTALL], growth[INSTALL_SIGNED]) <= 4 * MiB;
        allMet = allMet && floorMet && copyMet && memoryMet;
        const auto ratio = [](const Figures& f) {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f (%.2f-%.2f)", f.median, f.minimum, f.maximum);
            return std::string(text);
        };
        char copyTarget[48] = "copy-flush not judged here";
        if (copyJudged)
            std::snprintf(copyTarget, sizeof copyTarget, "copy-flush<=%.1f %s", copyLimit, copyMet ? "met" : "NOT met");
        std::printf("%-22s %-18s %-18s %-18s %7.3f %7.3f %7.3f %7.3f %7.1f %7.2f floor<=1.1 %s, %s, WS %s\n",
                    scenario.name, ratio(floor).c_str(), ratio(copyFlush).c_str(), ratio(copy).c_str(),
                    Median(seconds[INSTALL]), Median(seconds[FLOOR]), Median(seconds[COPY_FLUSH]),
                    Median(seconds[COPY]), MiBOf(growth[INSTALL]), Median(flushRatios), floorMet ? "met" : "NOT met",
                    copyTarget, memoryMet ? "met" : "NOT met");
        if (signedRuns) {
            // The check's share of the signed install: (signed - unsigned) / signed, per round.
            const Figures share = Summarise(checkShares);
            const Figures signedRatio = Summarise(signedRatios);
            const bool shareMet = share.median <= 0.25;
            const bool signedMet = signedRatio.median <= 1.25;
            allMet = allMet && shareMet && signedMet;
            std::printf("%-22s signed %7.3f s, unsigned %7.3f s: check share %5.1f %% (%4.1f-%4.1f), target 25 %% %s\n",
                        "", Median(seconds[INSTALL_SIGNED]), Median(seconds[INSTALL]), 100 * share.median,
                        100 * share.minimum, 100 * share.maximum, shareMet ? "met" : "NOT met");
            std::printf("%-22s signed / unsigned %.3f (%.3f-%.3f), target <= 1.25 %s; WS+ %.1f MiB\n", "",
                        signedRatio.median, signedRatio.minimum, signedRatio.maximum, signedMet ? "met" : "NOT met",
                        MiBOf(growth[INSTALL_SIGNED]));
        }
        if (workerRuns) {
            const Figures worker = Summarise(ratios[INSTALL_WORKER]);
            std::vector<double> workerOverDirect;
            for (const double r : ratios[INSTALL_WORKER])
                workerOverDirect.push_back(1.0 / r);
            const Figures slower = Summarise(workerOverDirect);
            const bool workerMet = slower.median <= 1.02;
            allMet = allMet && workerMet;
            std::printf(
                "%-22s worker thread %7.3f s, direct %7.3f s: direct / worker %.3f (%.3f-%.3f), target >= 0.98\n", "",
                Median(seconds[INSTALL_WORKER]), Median(seconds[INSTALL]), worker.median, worker.minimum,
                worker.maximum);
            // Its working set includes the window's, which the dialog has anyway.
            std::printf("%-22s worker / direct %.3f (%.3f-%.3f), target <= 1.02 %s; WS+ %.1f MiB with the window\n", "",
                        slower.median, slower.minimum, slower.maximum, workerMet ? "met" : "NOT met",
                        MiBOf(growth[INSTALL_WORKER]));
        }
        std::fflush(stdout);
    }
    std::printf(
        "targets (median ratio at most 1.1 against the floor; against copy-flush, on the disk, at most 1.3 for "
        "255 files of 1 MiB and 1.1 for one large file; peak working set at most 4 MiB above idle; when asked for, "
        "signed / unsigned at most 1.25 and worker / direct at most 1.02): %s\n",
        allMet ? "met" : "NOT met");
    std::fflush(stdout);
    return 0;
}
