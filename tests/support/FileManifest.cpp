#include "tests/support/FileManifest.h"

#include <cstdio>
#include <set>

#include "framework/ScopedHandle.h"
#include "tests/support/ScratchFolder.h"

namespace zr::test {

namespace {

constexpr std::uint64_t FNV_OFFSET = 14695981039346656037ull;
constexpr std::uint64_t FNV_PRIME = 1099511628211ull;

std::uint64_t Fold(std::uint64_t hash, const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ static_cast<unsigned char>(data[i])) * FNV_PRIME;
    return hash;
}

FILE_STATE StateOf(const std::string& path) {
    FILE_STATE state;
    ScopedKernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        state.hash = ~0ull;  // unreadable: never equal to a real checksum by chance
        return state;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (::GetFileInformationByHandle(file.get(), &info)) {
        state.index = (static_cast<std::uint64_t>(info.dwVolumeSerialNumber) << 48) ^
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) ^ info.nFileIndexLow;
        state.links = info.nNumberOfLinks;
    }
    state.hash = FNV_OFFSET;
    static char buffer[1 << 16];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        state.hash = Fold(state.hash, buffer, read);
        state.size += read;
    }
    return state;
}

std::string Describe(const FILE_STATE& state) {
    if (state.bFolder)
        return "a folder";
    char text[128];
    std::snprintf(text, sizeof text, "%llu bytes, checksum %016llx, index %llx, %lu link(s)",
                  static_cast<unsigned long long>(state.size), static_cast<unsigned long long>(state.hash),
                  static_cast<unsigned long long>(state.index), static_cast<unsigned long>(state.links));
    return text;
}

}  // namespace

bool operator==(const FILE_STATE& a, const FILE_STATE& b) {
    return a.bFolder == b.bFolder && a.hash == b.hash && a.size == b.size && a.index == b.index && a.links == b.links;
}

FileManifest TakeManifest(const std::string& folder) {
    FileManifest manifest;
    WalkFolder(folder, [&manifest](const std::string& relative, const std::string& path, bool isFolder) {
        FILE_STATE state;
        state.bFolder = true;
        manifest[relative] = isFolder ? state : StateOf(path);
    });
    return manifest;
}

std::uint64_t ContentHash(const std::string& bytes) {
    return Fold(FNV_OFFSET, bytes.data(), bytes.size());
}

::testing::AssertionResult Unchanged(const FileManifest& before, const FileManifest& now) {
    std::string differences;
    for (const auto& [name, state] : before) {
        const auto found = now.find(name);
        if (found == now.end())
            differences += "\n  gone: " + name;
        else if (!(found->second == state))
            differences += "\n  changed: " + name + " (" + Describe(state) + ", now " + Describe(found->second) + ")";
    }
    for (const auto& [name, state] : now) {
        if (before.count(name) == 0)
            differences += "\n  new: " + name;
    }
    if (differences.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the folder changed:" << differences;
}

std::map<std::string, std::uint64_t> ContentsOf(const FileManifest& manifest) {
    std::map<std::string, std::uint64_t> contents;
    for (const auto& [name, state] : manifest)
        contents[name] = state.bFolder ? 0 : state.hash;
    return contents;
}

::testing::AssertionResult HoldsContents(const FileManifest& now,
                                         const std::map<std::string, std::uint64_t>& expected) {
    std::string differences;
    const std::map<std::string, std::uint64_t> contents = ContentsOf(now);
    for (const auto& [name, hash] : expected) {
        const auto found = contents.find(name);
        if (found == contents.end())
            differences += "\n  missing: " + name;
        else if (found->second != hash)
            differences += "\n  other contents: " + name;
    }
    for (const auto& [name, hash] : contents) {
        if (expected.count(name) == 0)
            differences += "\n  unexpected: " + name;
    }
    if (differences.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differences;
}

::testing::AssertionResult SharesNoData(const FileManifest& inside, const std::vector<FileManifest>& outside) {
    std::set<std::uint64_t> outsideIndices;
    for (const FileManifest& manifest : outside) {
        for (const auto& [name, state] : manifest) {
            if (!state.bFolder)
                outsideIndices.insert(state.index);
        }
    }
    std::string shared;
    for (const auto& [name, state] : inside) {
        if (state.bFolder)
            continue;
        if (state.links != 1)
            shared += "\n  " + name + " has " + std::to_string(state.links) + " links";
        if (outsideIndices.count(state.index))
            shared += "\n  " + name + " is a file outside the installation too";
    }
    if (shared.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "installed files share their data:" << shared;
}

}  // namespace zr::test
