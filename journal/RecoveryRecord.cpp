#include "journal/RecoveryRecord.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "files/LongPath.h"

namespace zr {

namespace {

constexpr char RECORD_MAGIC_LINE[] = "ZR5048 recovery record 3\n";
// The form before the swap had a phase of its own: installed files were renamed from its first change.
constexpr char RECORD_FORM_2_LINE[] = "ZR5048 recovery record 2";

// A component of a path the record may name: no empty, "." or ".." part, nothing Windows would read
// as a stream, device or wildcard, no trailing dot or space (which Windows would drop).
bool IsPlainComponent(const std::wstring& component) {
    if (component.empty() || component == L"." || component == L"..")
        return false;
    for (wchar_t c : component) {
        if (c < 32 || std::wstring(L"<>:\"/|?*").find(c) != std::wstring::npos)
            return false;
    }
    return component.back() != L'.' && component.back() != L' ';
}

// `text` cut at every `separator`: one piece more than it holds separators.
template <class Text>
std::vector<Text> Split(const Text& text, typename Text::value_type separator) {
    std::vector<Text> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end - start));  // the rest when there is no separator
        if (end == Text::npos)
            return pieces;
        start = end + 1;
    }
}

// `relative` made of plain components separated by single backslashes; with `folder` it must end in
// one, otherwise it must not.
bool IsPlainRelativePath(const std::wstring& relative, bool folder) {
    if (relative.empty())
        return folder;
    if (folder != (relative.back() == L'\\'))
        return false;
    const std::vector<std::wstring> parts = Split(relative.substr(0, relative.size() - (folder ? 1 : 0)), L'\\');
    return std::all_of(parts.begin(), parts.end(), IsPlainComponent);
}

// "X:\" or "\\server\share\" followed by plain folder names, ending in a backslash. No "\\?\" or
// "\\.\" device forms.
bool IsPlainAbsoluteFolder(const std::wstring& folder) {
    if (folder.size() >= 3 && ((folder[0] | 0x20) >= L'a' && (folder[0] | 0x20) <= L'z') && folder[1] == L':' &&
        folder[2] == L'\\')
        return IsPlainRelativePath(folder.substr(3), true);
    if (folder.compare(0, 2, L"\\\\") != 0)
        return false;
    // The server and the share, then the folders below.
    const std::wstring rest = folder.substr(2);
    return std::count(rest.begin(), rest.end(), L'\\') >= 2 && IsPlainRelativePath(rest, true);
}

}  // namespace

std::string FormatRecordHeader(const std::wstring& installFolder) {
    return std::string(RECORD_MAGIC_LINE) + "I\t" + ToUtf8(installFolder) + "\n";
}

std::string FormatRecordChange(const RECORDED_CHANGE& change) {
    std::string line(1, static_cast<char>(change.kind));
    line += "\t" + ToUtf8(change.path);
    if (change.kind != CHANGE_CREATED)
        line += "\t" + ToUtf8(change.backup);
    return line + "\n";
}

std::string FormatReservationMoved(const RECORDED_CHANGE& change, const std::wstring& moved) {
    return "R\t" + ToUtf8(change.path) + "\t" + ToUtf8(change.backup) + "\t" + ToUtf8(moved) + "\n";
}

namespace {
// The reserved form, an X for each hexadecimal digit (in capitals).
constexpr wchar_t RESERVED_FORM[] = L"zr~XXXXXXXX.tmp";
constexpr wchar_t HEX_DIGITS[] = L"0123456789ABCDEF";
}  // namespace

std::wstring ReservedNameMask() {
    std::wstring mask = RESERVED_FORM;
    const std::size_t digits = mask.find(L'X');
    return mask.replace(digits, mask.rfind(L'X') + 1 - digits, L"*");
}

std::wstring ReservedName(std::uint32_t number) {
    std::wstring name = RESERVED_FORM;
    for (std::size_t i = name.size(); i-- > 0;) {
        if (name[i] == L'X') {
            name[i] = HEX_DIGITS[number & 0xF];
            number >>= 4;
        }
    }
    return name;
}

bool ParseReservedName(const std::wstring& name, bool anyCase, std::uint32_t* number) {
    if (name.size() != std::wcslen(RESERVED_FORM))
        return false;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i] < 0x80 && anyCase ? static_cast<wchar_t>(std::towupper(name[i])) : name[i];
        const wchar_t* digit = c ? std::wcschr(HEX_DIGITS, c) : nullptr;
        if (RESERVED_FORM[i] == L'X' && digit)
            value = value * 16 + static_cast<std::uint32_t>(digit - HEX_DIGITS);
        else if (RESERVED_FORM[i] == L'X' ||
                 (anyCase ? static_cast<wchar_t>(std::towupper(RESERVED_FORM[i])) != c : RESERVED_FORM[i] != c))
            return false;
    }
    if (number)
        *number = value;
    return true;
}

E_RECORD_FAULT ParseRecoveryRecord(const std::string& bytes,
                                   const std::wstring& installFolder,
                                   RECOVERY_RECORD* record) {
    *record = RECOVERY_RECORD();
    if (bytes.size() > MAX_RECORD_SIZE)
        return RECORD_TOO_LARGE;
    // Complete lines only: a cut-short last line announced a change that never began.
    std::vector<std::string> lines = Split(bytes, '\n');
    lines.pop_back();
    const std::string magic(RECORD_MAGIC_LINE, sizeof RECORD_MAGIC_LINE - 2);
    if (lines.empty()) {
        // A power cut after the first write gave the record its size but before its bytes reached the
        // disk leaves zeros, there or after a part of the header: that write was never flushed, so
        // nothing after it began.
        const std::size_t written = bytes.find_last_not_of('\0') + 1;  // 0 when all are zeros
        return magic.compare(0, written, bytes, 0, written) == 0 ? RECORD_OK : RECORD_BAD_HEADER;
    }
    const bool form2 = lines[0] == RECORD_FORM_2_LINE;
    if (!form2 && lines[0] != magic)
        return RECORD_BAD_HEADER;
    RECOVERY_RECORD read;
    read.bSwapping = form2;

    if (lines.size() >= 2) {
        const std::vector<std::string> fields = Split(lines[1], '\t');
        if (fields.size() != 2 || fields[0] != "I" || !FromUtf8(fields[1], &read.installFolder))
            return RECORD_BAD_HEADER;
        if (!SamePathText(read.installFolder, installFolder) || !IsPlainAbsoluteFolder(read.installFolder))
            return RECORD_OTHER_INSTALLATION;
    }
    if (lines.size() < 3)
        return RECORD_OK;  // cut short before the first change: nothing to undo
    const std::wstring recordPath = read.installFolder + RECORD_FILE_NAME;
    // A reserved name of the form, in the folder of its path, and not the path itself.
    const auto isReservedBeside = [](const std::wstring& name, const std::wstring& path) {
        const std::wstring folder = FolderPart(name);
        return SamePathText(folder, FolderPart(path)) && ParseReservedName(name.substr(folder.size()), false) &&
               !SamePathText(name, path);
    };

    for (std::size_t i = 2; i < lines.size(); ++i) {
        if (read.bCommitted)
            return RECORD_BAD_LINE;  // nothing follows the commit point
        if (lines[i] == "K" || lines[i] == "V") {
            const bool commit = lines[i] == "K";
            // The commit point comes after the swap began, which begins once.
            if (commit != read.bSwapping)
                return RECORD_BAD_LINE;
            (commit ? read.bCommitted : read.bSwapping) = true;
            continue;
        }
        const std::vector<std::string> fields = Split(lines[i], '\t');
        const char kind = fields[0].size() == 1 ? fields[0][0] : '\0';
        // The fields each kind has; 0 for a kind unknown to the record's form, which no line has.
        const std::size_t expected = kind == CHANGE_CREATED                                    ? 2
                                     : kind == CHANGE_INSTALLED_ASIDE || kind == CHANGE_STAGED ? 3
                                     : kind == 'R' && !form2                                   ? 4
                                                                                               : 0;
        RECORDED_CHANGE change;
        change.kind = static_cast<E_CHANGE_KIND>(kind);
        std::wstring moved;
        if (fields.size() != expected || !FromUtf8(fields[1], &change.path) ||
            (expected >= 3 && !FromUtf8(fields[2], &change.backup)) || (expected == 4 && !FromUtf8(fields[3], &moved)))
            return RECORD_BAD_LINE;
        if (!IsBelowFolder(change.path, read.installFolder) ||
            !IsPlainRelativePath(change.path.substr(read.installFolder.size()), false) ||
            SamePathText(change.path, recordPath))
            return RECORD_PATH_OUTSIDE;
        if (expected >= 3 &&
            (!isReservedBeside(change.backup, change.path) || (expected == 4 && !isReservedBeside(moved, change.path))))
            return RECORD_BAD_BACKUP;
        if (kind != 'R') {
            read.changes.push_back(change);
            continue;
        }
        // In place, so that a destination named twice is still put back through its states in turn.
        const auto earlier = std::find_if(read.changes.begin(), read.changes.end(), [&](const RECORDED_CHANGE& made) {
            return made.kind != CHANGE_CREATED && made.path == change.path && made.backup == change.backup;
        });
        if (earlier == read.changes.end())
            return RECORD_BAD_LINE;
        earlier->backup = moved;
    }
    *record = read;
    return RECORD_OK;
}

bool CRecordFile::Open(const std::wstring& installFolder, DWORD disposition) {
    m_path = installFolder + RECORD_FILE_NAME;
    // No sharing: the lock (with CREATE_NEW). DELETE access so that Remove can delete it while held.
    m_file.reset(::CreateFileW(LongPathForm(m_path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                               disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_file.IsValid();
}

bool CRecordFile::OpenExisting(const std::wstring& installFolder, DWORD* error) {
    const bool opened = Open(installFolder, OPEN_EXISTING);
    *error = opened ? ERROR_SUCCESS : ::GetLastError();
    return opened;
}

bool CRecordFile::Append(const std::string& text) {
    if (!m_file)
        return false;
    LARGE_INTEGER end = {};
    if (!::SetFilePointerEx(m_file.get(), end, nullptr, FILE_END))
        return false;
    DWORD written = 0;
    return ::WriteFile(m_file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size() && ::FlushFileBuffers(m_file.get());
}

bool CRecordFile::ReadAll(std::string* bytes) {
    bytes->clear();
    LARGE_INTEGER start = {};
    if (!m_file || !::SetFilePointerEx(m_file.get(), start, nullptr, FILE_BEGIN))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(m_file.get(), buffer, sizeof buffer, &read, nullptr))
            return false;
        if (read == 0)
            return true;
        bytes->append(buffer, read);
        if (bytes->size() > MAX_RECORD_SIZE)
            return true;
    }
}

bool CRecordFile::Remove() {
    if (!m_file)
        return false;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (::SetFileInformationByHandle(m_file.get(), FileDispositionInfo, &disposition, sizeof disposition)) {
        m_file.reset();
        return true;
    }
    // Without the disposition call: close, then delete; a start meeting the record in between
    // finds it finished and removes it itself.
    m_file.reset();
    return ::DeleteFileW(LongPathForm(m_path).c_str()) != FALSE;
}

}  // namespace zr
