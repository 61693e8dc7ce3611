// Takes the Windows Installer's Folders key in the test prefix over for one test: the values it held
// are set aside and the key is left empty; afterwards everything the test wrote is removed and the
// values set aside come back. Values that name the product's folders are leftovers of an interrupted
// test and are dropped, not set aside.
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

    // Registers a folder as the Windows Installer does: a value with this name and empty text data.
    bool Add(const std::string& name);
    // Removes the whole key, as on a machine where no installation ever recorded a folder.
    bool RemoveKey();
    // The value names in the order the registry enumerates them.
    std::vector<std::string> Names() const;

private:
    struct Value {
        std::string name;
        DWORD type;
        std::string data;
    };
    void Clear() const;

    bool m_existed = false;
    std::vector<Value> m_setAside;
};

}  // namespace zr::test
