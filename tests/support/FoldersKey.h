// Takes the Windows Installer's Folders key in the test prefix over for one test: the values it held
// are set aside and the key is left empty; afterwards everything the test wrote is removed and the
// values set aside come back. Values that name the product's folders are leftovers of an interrupted
// test and are dropped, not set aside. In a 32-bit process on 64-bit Windows (a WoW64 prefix) the key
// exists once in each registry view, and both are taken over.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zr::test {

class FoldersKey {
  public:
    FoldersKey();
    ~FoldersKey();
    FoldersKey(const FoldersKey&) = delete;
    FoldersKey& operator=(const FoldersKey&) = delete;

    // Registers a folder as the Windows Installer does: a value with this name and empty text data,
    // in the process's own registry view or, with KEY_WOW64_64KEY or KEY_WOW64_32KEY, in that one.
    bool Add(const std::string& name, REGSAM view = 0);
    // Removes the whole key in every view, as on a machine where no installation ever recorded a folder.
    bool RemoveKey();
    // The value names of one view in the order the registry enumerates them.
    std::vector<std::string> Names(REGSAM view = 0) const;

  private:
    struct Value {
        std::string name;
        DWORD type;
        std::string data;
    };
    struct View {
        REGSAM flag;
        bool existed;
        std::vector<Value> setAside;
    };

    std::vector<View> m_views;
};

// True in a 32-bit process on 64-bit Windows, where the registry has a 32-bit and a 64-bit view.
bool RunsUnderWow64();

}  // namespace zr::test
