#include "tests/support/DialogTemplate.h"

#include <cstring>

namespace zr::test {
namespace {

class Reader {
  public:
    Reader(const BYTE* data, DWORD size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    template <class T>
    T Read() {
        T value{};
        if (m_at + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }
    std::wstring ReadText() {
        std::wstring text;
        for (wchar_t c; m_ok && (c = Read<wchar_t>()) != 0;)
            text += c;
        return text;
    }
    // A name or an ordinal: 0x0000 none, 0xFFFF then an ordinal, otherwise a zero-terminated text.
    std::wstring ReadNameOrOrdinal() {
        const std::uint16_t first = Read<std::uint16_t>();
        if (first == 0)
            return L"";
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Read<std::uint16_t>());
        m_at -= 2;
        return ReadText();
    }
    void AlignTo(std::size_t boundary) { m_at = (m_at + boundary - 1) / boundary * boundary; }
    void Skip(std::size_t bytes) { m_at += bytes; }

  private:
    const BYTE* m_data;
    DWORD m_size;
    std::size_t m_at = 0;
    bool m_ok = true;
};

}  // namespace

bool LoadDialogTemplate(const std::string& exePath, int id, WORD language, DialogTemplate* out) {
    HMODULE module = ::LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return false;
    bool ok = false;
    if (HRSRC found = ::FindResourceExA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(id), language)) {
        const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
        Reader in(data, ::SizeofResource(module, found));
        DialogTemplate& t = *out;
        t.version = in.Read<std::uint16_t>();
        t.signature = in.Read<std::uint16_t>();
        t.helpId = in.Read<std::uint32_t>();
        t.exStyle = in.Read<std::uint32_t>();
        t.style = in.Read<std::uint32_t>();
        const std::uint16_t count = in.Read<std::uint16_t>();
        t.x = in.Read<std::int16_t>();
        t.y = in.Read<std::int16_t>();
        t.cx = in.Read<std::int16_t>();
        t.cy = in.Read<std::int16_t>();
        t.menu = in.ReadNameOrOrdinal();
        t.windowClass = in.ReadNameOrOrdinal();
        t.caption = in.ReadText();
        if (t.style & DS_SETFONT) {
            t.pointSize = in.Read<std::uint16_t>();
            t.weight = in.Read<std::uint16_t>();
            t.italic = in.Read<std::uint8_t>();
            t.charset = in.Read<std::uint8_t>();
            t.face = in.ReadText();
        }
        t.items.clear();
        for (int i = 0; i < count && in.ok(); ++i) {
            in.AlignTo(4);
            DialogItemTemplate item;
            item.helpId = in.Read<std::uint32_t>();
            item.exStyle = in.Read<std::uint32_t>();
            item.style = in.Read<std::uint32_t>();
            item.x = in.Read<std::int16_t>();
            item.y = in.Read<std::int16_t>();
            item.cx = in.Read<std::int16_t>();
            item.cy = in.Read<std::int16_t>();
            item.id = in.Read<std::uint32_t>();
            item.className = in.ReadNameOrOrdinal();
            item.text = in.ReadNameOrOrdinal();
            item.extraCount = in.Read<std::uint16_t>();
            in.Skip(item.extraCount);
            t.items.push_back(item);
        }
        ok = in.ok() && t.version == 1 && t.signature == 0xFFFF;
    }
    ::FreeLibrary(module);
    return ok;
}

}  // namespace zr::test
