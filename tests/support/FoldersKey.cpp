#include "tests/support/FoldersKey.h"

#include "framework/ScopedHandle.h"
#include "install/InstalledProduct.h"

namespace zr::test {

namespace {

ScopedRegKey OpenKey(REGSAM access, bool create) {
    ScopedRegKey key;
    if (create)
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH, 0, nullptr, 0, access, nullptr, key.receive(), nullptr);
    else
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH, 0, access, key.receive());
    return key;
}

// Value names may have up to 16383 characters.
constexpr DWORD kNameCapacity = 16384;

}  // namespace

FoldersKey::FoldersKey() {
    m_existed = static_cast<bool>(OpenKey(KEY_READ, false));
    ScopedRegKey key = OpenKey(KEY_READ, true);
    for (DWORD index = 0;; ++index) {
        std::string name(kNameCapacity, '\0');
        DWORD nameLength = kNameCapacity;
        DWORD type = 0;
        DWORD dataLength = 0;
        if (::RegEnumValueA(key.get(), index, &name[0], &nameLength, nullptr, &type, nullptr, &dataLength) !=
            ERROR_SUCCESS)
            break;
        name.resize(nameLength);
        std::string data(dataLength, '\0');
        ::RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &dataLength);
        if (name.find("ZR5048 Emulation Software") == std::string::npos)
            m_setAside.push_back({name, type, data});
    }
    Clear();
}

FoldersKey::~FoldersKey() {
    if (!m_existed) {
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH);
        return;
    }
    Clear();
    ScopedRegKey key = OpenKey(KEY_SET_VALUE, true);
    for (const Value& value : m_setAside)
        ::RegSetValueExA(key.get(), value.name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                         static_cast<DWORD>(value.data.size()));
}

void FoldersKey::Clear() const {
    ScopedRegKey key = OpenKey(KEY_READ | KEY_SET_VALUE, false);
    if (!key)
        return;
    // Always the first value: deleting shifts the rest down.
    for (;;) {
        std::string name(kNameCapacity, '\0');
        DWORD nameLength = kNameCapacity;
        if (::RegEnumValueA(key.get(), 0, &name[0], &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        name.resize(nameLength);
        if (::RegDeleteValueA(key.get(), name.c_str()) != ERROR_SUCCESS)
            break;
    }
}

bool FoldersKey::Add(const std::string& name) {
    ScopedRegKey key = OpenKey(KEY_SET_VALUE, true);
    return key &&
           ::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) == ERROR_SUCCESS;
}

bool FoldersKey::RemoveKey() {
    Clear();
    return ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH) == ERROR_SUCCESS;
}

std::vector<std::string> FoldersKey::Names() const {
    std::vector<std::string> names;
    ScopedRegKey key = OpenKey(KEY_QUERY_VALUE, false);
    for (DWORD index = 0; key; ++index) {
        std::string name(kNameCapacity, '\0');
        DWORD nameLength = kNameCapacity;
        if (::RegEnumValueA(key.get(), index, &name[0], &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        name.resize(nameLength);
        names.push_back(name);
    }
    return names;
}

}  // namespace zr::test
