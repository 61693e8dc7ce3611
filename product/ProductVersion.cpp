#include "product/ProductVersion.h"

#include <windows.h>

#include <winver.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/ScopedHandle.h"
#include "framework/SystemLibrary.h"
#include "product/InstalledProduct.h"
#include "product/VersionText.h"

namespace zr {

namespace {

struct FreeBlock {
    void operator()(void* block) const { std::free(block); }
};

}  // namespace

bool GetInstalledVersion(const char* path, CString& version) {
    // From version.dll in the system folder only: the tool runs from the folder that holds the
    // package, often a download folder, where a planted version.dll must never be loaded.
    const ScopedModule library(LoadSystemLibrary(L"version.dll"));
    const auto getSize = ZR_LIBRARY_FUNCTION(library.get(), GetFileVersionInfoSizeA);
    const auto getInfo = ZR_LIBRARY_FUNCTION(library.get(), GetFileVersionInfoA);
    const auto query = ZR_LIBRARY_FUNCTION(library.get(), VerQueryValueA);
    if (!getSize || !getInfo || !query)
        return false;

    DWORD handle = 0;
    const DWORD size = getSize(path, &handle);
    if (size == 0)
        return false;
    // A block that cannot be had means no version can be read; the dialog still opens.
    const std::unique_ptr<void, FreeBlock> block(std::malloc(size));
    if (!block)
        return false;
    if (!getInfo(path, handle, size, block.get()))
        return false;

    LPVOID value = nullptr;
    UINT length = 0;
    if (!query(block.get(), VERSION_QUERY, &value, &length) || value == nullptr)
        return false;

    char text[MAX_VERSION_TEXT + 1];
    if (!MakeVersionText(static_cast<const char*>(value), text))
        return false;
    version = text;
    return true;
}

}  // namespace zr
