#include "bench/SafeStepsFloor.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/ScopedHandle.h"

namespace zr::bench {

namespace {

// The installer's buffer size, so that the two read and write in the same pieces.
constexpr DWORD BUFFER_SIZE = 256 * 1024;
constexpr DWORD HEADER_SIZE = 11;  // version text and language byte, before the entry count
constexpr DWORD RECORD_SIZE = 36;  // 32 bytes of name, 4 of big-endian size

bool ReadExactly(HANDLE file, void* buffer, DWORD size) {
    DWORD read = 0;
    return ::ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

struct Entry {
    std::string name;
    DWORD size;
};

}  // namespace

bool PlaceBySafeSteps(const std::string& packagePath, const std::string& installFolder) {
    ScopedKernelHandle package(::CreateFileA(packagePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    unsigned char head[HEADER_SIZE + 1];
    if (!package || !ReadExactly(package.get(), head, sizeof head))
        return false;
    std::vector<unsigned char> directory(head[HEADER_SIZE] * RECORD_SIZE);
    if (!directory.empty() && !ReadExactly(package.get(), directory.data(), static_cast<DWORD>(directory.size())))
        return false;
    std::vector<Entry> entries;
    for (std::size_t at = 0; at < directory.size(); at += RECORD_SIZE) {
        const unsigned char* record = &directory[at];
        std::string name(reinterpret_cast<const char*>(record), 32);
        name.resize(name.find('\0') == std::string::npos ? 32 : name.find('\0'));
        const DWORD size =
            (DWORD(record[32]) << 24) | (DWORD(record[33]) << 16) | (DWORD(record[34]) << 8) | record[35];
        entries.push_back({name, size});
    }

    std::unique_ptr<char[]> buffer(new char[BUFFER_SIZE]);
    std::vector<std::string> aside;
    for (const Entry& entry : entries) {
        const std::string destination = installFolder + entry.name;
        const std::string fresh = destination + "~new";
        {
            ScopedKernelHandle file(
                ::CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file)
                return false;
            for (DWORD left = entry.size; left > 0;) {
                const DWORD chunk = left < BUFFER_SIZE ? left : BUFFER_SIZE;
                DWORD written = 0;
                if (!ReadExactly(package.get(), buffer.get(), chunk) ||
                    !::WriteFile(file.get(), buffer.get(), chunk, &written, nullptr) || written != chunk)
                    return false;
                left -= chunk;
            }
            if (!::FlushFileBuffers(file.get()))
                return false;
        }
        const std::string old = destination + "~old";
        if (!::MoveFileExA(destination.c_str(), old.c_str(), 0) ||
            !::MoveFileExA(fresh.c_str(), destination.c_str(), 0))
            return false;
        aside.push_back(old);
    }
    bool ok = true;
    for (const std::string& old : aside)
        ok = ::DeleteFileA(old.c_str()) && ok;
    return ok;
}

}  // namespace zr::bench
