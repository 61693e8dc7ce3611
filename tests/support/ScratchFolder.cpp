#include "tests/support/ScratchFolder.h"

#include <cstdio>
#include <memory>

#include "framework/ScopedHandle.h"

namespace zr::test {

namespace {
// A name no one holds yet, made under `parent`: the process id alone is not enough, since test
// prefixes run by other Wine servers at the same time may share a drive and number their processes
// alike. Empty when the folder cannot be made for another reason.
std::string MakeFreshFolder(const std::string& parent) {
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%szr-%lu-%u\\", parent.c_str(), ::GetCurrentProcessId(), ++counter);
        if (::CreateDirectoryA(name, nullptr))
            return name;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
}
}  // namespace

ScratchFolder::ScratchFolder(const Under& under) : m_path(MakeFreshFolder(under.parent)) {}

ScratchFolder::ScratchFolder(bool enter) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    m_path = MakeFreshFolder(temp);
    if (enter) {
        char current[MAX_PATH] = {};
        ::GetCurrentDirectoryA(sizeof current, current);
        m_previousDirectory = current;
        ::SetCurrentDirectoryA(m_path.c_str());
    }
}

ScratchFolder::~ScratchFolder() {
    if (!m_previousDirectory.empty())
        ::SetCurrentDirectoryA(m_previousDirectory.c_str());
    if (!m_path.empty())
        DeleteTree(m_path);
}

namespace {
void CreateParents(const std::string& path) {
    for (std::size_t at = path.find_first_of("\\/", 3); at != std::string::npos; at = path.find_first_of("\\/", at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}
}  // namespace

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    CreateParents(path);
    ScopedFile file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

std::string ReadFileBytes(const std::string& path) {
    ScopedFile file(std::fopen(path.c_str(), "rb"));
    std::string bytes;
    if (!file)
        return bytes;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        bytes.append(buffer, n);
    return bytes;
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteTree(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

namespace {
void Walk(const std::string& root,
          const std::string& relative,
          const std::function<void(const std::string&, const std::string&, bool)>& visit) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((root + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            visit(relative + name + "\\", root + relative + name + "\\", true);
            Walk(root, relative + name + "\\", visit);
        } else {
            visit(relative + name, root + relative + name, false);
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}
}  // namespace

void WalkFolder(const std::string& folder,
                const std::function<void(const std::string& relative, const std::string& path, bool isFolder)>& visit) {
    std::string root = folder;
    if (!root.empty() && root.back() != '\\')
        root += '\\';
    Walk(root, "", visit);
}

std::map<std::string, std::string> SnapshotFolder(const std::string& folder) {
    std::map<std::string, std::string> files;
    WalkFolder(folder, [&files](const std::string& relative, const std::string& path, bool isFolder) {
        files[relative] = isFolder ? "<folder>" : ReadFileBytes(path);
    });
    return files;
}

}  // namespace zr::test
