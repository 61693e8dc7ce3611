// A fresh folder for one test, removed with everything in it afterwards: under the Wine prefix's temp
// folder, or under a given folder such as another drive. Optionally the process works in it while
// the object lives.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace zr::test {

class ScratchFolder {
  public:
    explicit ScratchFolder(bool enter = false);
    // Under `parent` (ending in a backslash); Path() is empty when no folder can be made there. A type
    // of its own, so that a string literal never picks the constructor taking a bool.
    struct Under {
        std::string parent;
    };
    explicit ScratchFolder(const Under& under);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder, ending in a backslash.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + relative; }

  private:
    std::string m_path;
    std::string m_previousDirectory;
};

// Whole-file helpers; paths may contain folders, which WriteFileBytes creates.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
void DeleteTree(const std::string& path);

// Calls `visit` with the name relative to `folder` of every entry below it, a folder's ending in a
// backslash and coming before what it holds; `path` is the full path.
void WalkFolder(const std::string& folder,
                const std::function<void(const std::string& relative, const std::string& path, bool isFolder)>& visit);

// Every file below `folder` (relative name -> contents), to compare a folder before and after.
std::map<std::string, std::string> SnapshotFolder(const std::string& folder);

}  // namespace zr::test
