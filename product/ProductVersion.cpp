#include "product/ProductVersion.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "product/InstalledProduct.h"
#include "product/VersionLibrary.h"
#include "product/VersionText.h"

namespace zr {

namespace {

struct FreeBlock {
    void operator()(void* block) const { std::free(block); }
};

}  // namespace

bool GetInstalledVersion(const char* path, CString& version) {
    const zr::VersionLibrary library;
    if (!library.IsLoaded())
        return false;

    DWORD handle = 0;
    const DWORD size = library.GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return false;
    // A block that cannot be had means no version can be read; the dialog still opens.
    const std::unique_ptr<void, FreeBlock> block(std::malloc(size));
    if (!block)
        return false;
    if (!library.GetFileVersionInfoA(path, handle, size, block.get()))
        return false;

    LPVOID value = nullptr;
    UINT length = 0;
    if (!library.VerQueryValueA(block.get(), VERSION_QUERY, &value, &length) || value == nullptr)
        return false;

    char text[MAX_VERSION_TEXT + 1];
    if (!MakeVersionText(static_cast<const char*>(value), text))
        return false;
    version = text;
    return true;
}

}  // namespace zr
