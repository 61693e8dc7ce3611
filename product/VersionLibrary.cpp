#include "product/VersionLibrary.h"

#include "framework/SystemLibrary.h"

namespace zr {

VersionLibrary::VersionLibrary() {
    m_module.reset(LoadSystemLibrary(L"version.dll"));
    m_getSize = LibraryFunction<GetSizeFunction>(m_module.get(), "GetFileVersionInfoSizeA");
    m_getInfo = LibraryFunction<GetInfoFunction>(m_module.get(), "GetFileVersionInfoA");
    m_query = LibraryFunction<QueryFunction>(m_module.get(), "VerQueryValueA");
}

}  // namespace zr
