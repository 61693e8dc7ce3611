#include "install/ProductVersion.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "dialog/ZR5048VersionUpDlg.h"
#include "install/InstalledProduct.h"
#include "install/VersionLibrary.h"

namespace {

constexpr std::size_t kMaxVersionText = 9;

// major "." minor from a dotted ProductVersion; build and revision are dropped, and nothing is
// parsed as a number. False when there is no dot or the result does not fit.
bool MakeVersionText(const char* productVersion, char (&text)[kMaxVersionText + 1]) {
    std::memset(text, 0, sizeof text);
    const char* firstDot = std::strchr(productVersion, '.');
    if (firstDot == nullptr)
        return false;
    const char* minor = firstDot + 1;
    const char* secondDot = std::strchr(minor, '.');
    // Without a second dot the rest of the text is the minor part, padded like any other.
    const std::size_t minorLength = secondDot ? static_cast<std::size_t>(secondDot - minor) : std::strlen(minor);
    const std::size_t majorAndDot = static_cast<std::size_t>(minor - productVersion);
    const std::size_t padding = minorLength == 1 ? 1 : 0;
    if (majorAndDot + padding + minorLength > kMaxVersionText)
        return false;
    std::memcpy(text, productVersion, majorAndDot);
    if (padding)
        text[majorAndDot] = '0';
    std::memcpy(text + majorAndDot + padding, minor, minorLength);
    return true;
}

struct FreeBlock {
    void operator()(void* block) const { std::free(block); }
};

}  // namespace

bool CProductVersion::GetProductVersion(const char* path, CString& version) {
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

    char text[kMaxVersionText + 1];
    if (!MakeVersionText(static_cast<const char*>(value), text))
        return false;
    version = text;
    return true;
}

bool CZR5048VersionUpDlg::GetInstalledVersion() {
    CProductVersion reader;
    return reader.GetProductVersion(m_szExePath, m_strInstalledVersion);
}
