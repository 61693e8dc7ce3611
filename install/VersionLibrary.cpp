#include "install/VersionLibrary.h"

#include <cstring>

namespace zr {

namespace {
template <class Function>
Function Resolve(HMODULE module, const char* name) {
    // Through the generic function type, which converts to any other without a cast warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}
}  // namespace

VersionLibrary::VersionLibrary() {
    static constexpr char FILE_NAME[] = "\\version.dll";
    char path[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + sizeof FILE_NAME > sizeof path)
        return;
    std::strcat(path, FILE_NAME);
    m_module.reset(::LoadLibraryA(path));
    if (!m_module)
        return;
    m_getSize = Resolve<GetSizeFunction>(m_module.get(), "GetFileVersionInfoSizeA");
    m_getInfo = Resolve<GetInfoFunction>(m_module.get(), "GetFileVersionInfoA");
    m_query = Resolve<QueryFunction>(m_module.get(), "VerQueryValueA");
}

}  // namespace zr
