// A stand-in for the tool started from a download folder: it reads the installed version as the
// tool does, from wherever it was copied to. Exit code 0 when it read the text given as the second
// argument, 1 when it read none, 2 when it read another.
//   zr_version_probe EXE-PATH EXPECTED      the tool's version read of EXE-PATH
//   zr_version_probe --by-name              asks for a size through version.dll looked up by name, as
//                                           an import would; 0 when the call was made
#include <windows.h>

#include <cstring>

#include "product/ProductVersion.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--by-name") == 0) {
        HMODULE module = ::LoadLibraryA("version.dll");
        if (module == nullptr)
            return 1;
        using GetSize = DWORD(WINAPI*)(LPCSTR, LPDWORD);
        auto getSize = reinterpret_cast<GetSize>(
            reinterpret_cast<void (*)()>(::GetProcAddress(module, "GetFileVersionInfoSizeA")));
        DWORD handle = 0;
        if (getSize)
            getSize(argv[0], &handle);
        ::FreeLibrary(module);
        return getSize ? 0 : 1;
    }
    if (argc != 3 || std::strlen(argv[1]) >= 260)
        return 3;
    CString version;
    if (!zr::GetInstalledVersion(argv[1], version))
        return 1;
    return std::strcmp(version, argv[2]) == 0 ? 0 : 2;
}
