#include "tests/support/ImitationInstallation.h"

#include "tests/support/TestEnvironment.h"

namespace zr::test {

std::string StandInExePath(const std::string& variant) {
    return RequiredPath("ZR_FIXTURES") + "\\stand-in\\" + variant + "\\ZR5048Em.exe";
}

ImitationInstallation::ImitationInstallation(const std::string& variant, int languageCode, REGSAM view)
    : m_folder(m_scratch / "ZR5048 Emulation Software\\") {
    const std::string languageIni = "[LangList]\r\nNo0=" + std::to_string(languageCode) + "\r\n";
    m_ok = ::CreateDirectoryA(m_folder.c_str(), nullptr) && ::CreateDirectoryA((m_folder + "EXCEL").c_str(), nullptr) &&
           ::CreateDirectoryA((m_folder + "Images").c_str(), nullptr) &&
           ::CopyFileA(StandInExePath(variant).c_str(), ExePath().c_str(), FALSE) &&
           WriteLanguageIni(languageIni.c_str()) && m_registry.Add(m_folder + "EXCEL\\", view);
}

bool ImitationInstallation::WriteLanguageIni(const char* text) const {
    if (text == nullptr)
        return ::DeleteFileA(LanguageIniPath().c_str()) != FALSE;
    return WriteFileBytes(LanguageIniPath(), text);
}

}  // namespace zr::test
