// A fresh folder under the Wine prefix's temp folder for one test, removed with everything in it
// afterwards. Optionally the process works in it while the object lives.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace zr::test {

class ScratchFolder {
  public:
    explicit ScratchFolder(bool enter = false);
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

// Every file below `folder` (relative name -> contents), to compare a folder before and after.
std::map<std::string, std::string> SnapshotFolder(const std::string& folder);

}  // namespace zr::test
