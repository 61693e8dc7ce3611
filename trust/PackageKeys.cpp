// The public keys this build trusts, from the header CMake generates out of ZR_PACKAGE_KEYS (see
// cmake/PackageKeys.cmake). Compiled once per key set, so tests can link a build with and one without.
#include "trust/PackageSignature.h"

#include "PackageKeys.generated.h"

namespace zr {

PACKAGE_KEYS CompiledPackageKeys() {
#if ZR_PACKAGE_KEY_COUNT > 0
    static const PublicKey KEYS[] = {ZR_PACKAGE_KEY_LIST};
    return PACKAGE_KEYS{KEYS, ZR_PACKAGE_KEY_COUNT};
#else
    return PACKAGE_KEYS{nullptr, 0};
#endif
}

}  // namespace zr
