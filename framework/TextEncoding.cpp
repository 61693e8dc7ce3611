#include "framework/TextEncoding.h"

#include <windows.h>

#include <string_view>

namespace zr {

namespace {

std::wstring Widen(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty())
        return std::wstring();
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    if (::MultiByteToWideChar(codePage, flags, text.data(), length, &wide[0], needed) != needed)
        return std::wstring();
    return wide;
}

std::string Narrow(UINT codePage, const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    if (::WideCharToMultiByte(codePage, 0, text.data(), length, &narrow[0], needed, nullptr, nullptr) != needed)
        return std::string();
    return narrow;
}

}  // namespace

std::wstring WidenAnsi(const char* text) {
    return Widen(CP_ACP, MB_ERR_INVALID_CHARS, text);
}

std::wstring WidenAnsiForDisplay(const char* text) {
    return Widen(CP_ACP, 0, text);
}

std::string NarrowToAnsi(const std::wstring& text) {
    return Narrow(CP_ACP, text);
}

std::string ToUtf8(const std::wstring& text) {
    return Narrow(CP_UTF8, text);
}

bool FromUtf8(const std::string& text, std::wstring* wide) {
    *wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    return !wide->empty() || text.empty();
}

}  // namespace zr
