#include "product/VersionLibrary.h"

#include "framework/SystemLibrary.h"

namespace zr {

VersionLibrary::VersionLibrary() {
    m_module.reset(LoadSystemLibrary(L"version.dll"));
    m_getSize = ZR_LIBRARY_FUNCTION(m_module.get(), GetFileVersionInfoSizeA);
    m_getInfo = ZR_LIBRARY_FUNCTION(m_module.get(), GetFileVersionInfoA);
    m_query = ZR_LIBRARY_FUNCTION(m_module.get(), VerQueryValueA);
}

}  // namespace zr
