// Judges a signed file as Windows does before it runs it: WinVerifyTrust with the Authenticode policy
// (WINTRUST_ACTION_GENERIC_VERIFY_V2), after putting a test certificate authority into the machine's
// Root store of the prefix it runs in.
//
//   zr_authenticode_trust ROOT.der FILE
//
// Prints "trust FILE 0xRESULT" (0x00000000: trusted) and exits 0 only when the file is trusted, 1
// when it is refused, 2 when the check itself could not be made.
#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/ScopedHandle.h"

namespace {

struct CertStoreTraits : zr::NullMeansNone<HCERTSTORE> {
    static void Close(Handle h) { ::CertCloseStore(h, 0); }
};
using CertStore = zr::ScopedHandle<CertStoreTraits>;

bool ReadWhole(const char* path, std::vector<BYTE>* bytes) {
    zr::ScopedHandle<zr::FileTraits> file(std::fopen(path, "rb"));
    if (!file)
        return false;
    BYTE buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    return !bytes->empty();
}

// The authority as a trusted root of the whole machine, where the Authenticode policy looks.
bool TrustRoot(const char* derPath) {
    std::vector<BYTE> der;
    if (!ReadWhole(derPath, &der)) {
        std::fprintf(stderr, "cannot read %s\n", derPath);
        return false;
    }
    CertStore root(::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root"));
    if (!root ||
        !::CertAddEncodedCertificateToStore(root.get(), X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "cannot add the authority to the machine's Root store: error %lu\n", ::GetLastError());
        return false;
    }
    return true;
}

LONG VerifyFile(const std::wstring& path) {
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zr_authenticode_trust ROOT.der FILE\n");
        return 2;
    }
    if (!TrustRoot(argv[1]))
        return 2;
    const std::string narrow = argv[2];
    const LONG result = VerifyFile(std::wstring(narrow.begin(), narrow.end()));
    std::printf("trust %s 0x%08lX\n", argv[2], static_cast<unsigned long>(result));
    return result == ERROR_SUCCESS ? 0 : 1;
}
