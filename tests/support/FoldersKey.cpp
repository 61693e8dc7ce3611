#include "tests/support/FoldersKey.h"

#include "framework/ScopedHandle.h"
#include "product/InstalledProduct.h"

namespace zr::test {

namespace {

// Value names may have up to 16383 characters.
constexpr DWORD NAME_CAPACITY = 16384;

ScopedRegKey OpenKey(REGSAM access, bool create) {
    ScopedRegKey key;
    if (create)
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH, 0, nullptr, 0, access, nullptr, key.receive(), nullptr);
    else
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH, 0, access, key.receive());
    return key;
}

// Deletes every value of the key in one view; the key itself stays.
void Clear(REGSAM view) {
    ScopedRegKey key = OpenKey(KEY_READ | KEY_SET_VALUE | view, false);
    if (!key)
        return;
    // Always the first value: deleting shifts the rest down.
    for (;;) {
        std::string name(NAME_CAPACITY, '\0');
        DWORD nameLength = NAME_CAPACITY;
        if (::RegEnumValueA(key.get(), 0, &name[0], &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        name.resize(nameLength);
        if (::RegDeleteValueA(key.get(), name.c_str()) != ERROR_SUCCESS)
            break;
    }
}

}  // namespace

bool RunsUnderWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

FoldersKey::FoldersKey() {
    const std::vector<REGSAM> flags =
        RunsUnderWow64() ? std::vector<REGSAM>{KEY_WOW64_64KEY, KEY_WOW64_32KEY} : std::vector<REGSAM>{0};
    for (REGSAM flag : flags) {
        View view{flag, static_cast<bool>(OpenKey(KEY_READ | flag, false)), {}};
        ScopedRegKey key = OpenKey(KEY_READ | flag, true);
        for (DWORD index = 0;; ++index) {
            std::string name(NAME_CAPACITY, '\0');
            DWORD nameLength = NAME_CAPACITY;
            DWORD type = 0;
            DWORD dataLength = 0;
            if (::RegEnumValueA(key.get(), index, &name[0], &nameLength, nullptr, &type, nullptr, &dataLength) !=
                ERROR_SUCCESS)
                break;
            name.resize(nameLength);
            std::string data(dataLength, '\0');
            ::RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]),
                               &dataLength);
            if (name.find("ZR5048 Emulation Software") == std::string::npos)
                view.setAside.push_back({name, type, data});
        }
        Clear(flag);
        m_views.push_back(view);
    }
}

FoldersKey::~FoldersKey() {
    for (const View& view : m_views) {
        if (!view.existed) {
            Clear(view.flag);
            ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH, view.flag, 0);
            continue;
        }
        Clear(view.flag);
        ScopedRegKey key = OpenKey(KEY_SET_VALUE | view.flag, true);
        for (const Value& value : view.setAside)
            ::RegSetValueExA(key.get(), value.name.c_str(), 0, value.type,
                             reinterpret_cast<const BYTE*>(value.data.data()), static_cast<DWORD>(value.data.size()));
    }
}

bool FoldersKey::Add(const std::string& name, REGSAM view) {
    ScopedRegKey key = OpenKey(KEY_SET_VALUE | view, true);
    return key &&
           ::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) == ERROR_SUCCESS;
}

bool FoldersKey::RemoveKey() {
    bool removed = true;
    for (const View& view : m_views) {
        Clear(view.flag);
        removed = ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY_PATH, view.flag, 0) == ERROR_SUCCESS && removed;
    }
    return removed;
}

std::vector<std::string> FoldersKey::Names(REGSAM view) const {
    std::vector<std::string> names;
    ScopedRegKey key = OpenKey(KEY_QUERY_VALUE | view, false);
    for (DWORD index = 0; key; ++index) {
        std::string name(NAME_CAPACITY, '\0');
        DWORD nameLength = NAME_CAPACITY;
        if (::RegEnumValueA(key.get(), index, &name[0], &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        name.resize(nameLength);
        names.push_back(name);
    }
    return names;
}

}  // namespace zr::test
