#include "format/PackageDirectory.h"

#include <cstring>

namespace zr {

namespace {

// Windows opens the device, not a file, for these names, also with an extension ("nul.txt") and
// with blanks before the extension.
bool IsDeviceName(const char* component, std::size_t length) {
    std::size_t base = 0;
    while (base < length && component[base] != '.')
        ++base;
    while (base > 0 && component[base - 1] == ' ')
        --base;
    static const char* const DEVICE_NAMES[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : DEVICE_NAMES) {
        if (EqualsIgnoringAsciiCase(component, base, device))
            return true;
    }
    // COM1 to COM9 and LPT1 to LPT9, and the superscript digits 1 to 3 that Windows also accepts.
    if (base == 4 && (EqualsIgnoringAsciiCase(component, 3, "COM") || EqualsIgnoringAsciiCase(component, 3, "LPT"))) {
        const unsigned char digit = static_cast<unsigned char>(component[3]);
        return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

E_NAME_FAULT CheckComponent(const char* component, std::size_t length) {
    if (length == 2 && component[0] == '.' && component[1] == '.')
        return NAME_DOT_DOT;
    if (length > 0 && (component[length - 1] == '.' || component[length - 1] == ' '))
        return NAME_TRAILING_DOT_SPACE;
    if (IsDeviceName(component, length))
        return NAME_DEVICE_NAME;
    return NAME_OK;
}

bool IsForbiddenCharacter(unsigned char c) {
    return c < 0x20 || std::strchr("*?\"<>|", c) != nullptr;
}

bool HoldsNul(const char (&field)[ENTRY_NAME_SIZE]) {
    return std::memchr(field, '\0', ENTRY_NAME_SIZE) != nullptr;
}

// 255 sizes of at most 2^32 - 1 cannot overflow 64 bits.
std::uint64_t DeclaredPayloadBytes(const PACKAGE_DIRECTORY& directory) {
    std::uint64_t declared = 0;
    for (unsigned i = 0; i < directory.nCount; ++i)
        declared += directory.entries[i].dwSize;
    return declared;
}

}  // namespace

void DecodePackageDirectory(const unsigned char* head, std::size_t size, PACKAGE_DIRECTORY* directory) {
    std::memset(directory, 0, sizeof *directory);
    if (size <= ENTRY_COUNT_OFFSET)
        return;
    directory->bCountPresent = true;
    directory->nCount = head[ENTRY_COUNT_OFFSET];
    for (unsigned i = 0; i < directory->nCount && PayloadOffset(i + 1) <= size; ++i) {
        const unsigned char* record = head + PayloadOffset(i);
        PACKAGE_ENTRY& entry = directory->entries[i];
        std::memcpy(entry.szName, record, ENTRY_NAME_SIZE);
        entry.dwSize = DecodeBigEndian32(record + ENTRY_NAME_SIZE);
        directory->nPresent = i + 1;
    }
}

E_NAME_FAULT CheckRelativePath(const char* path, std::size_t length, LeadBytePredicate isLeadByte) {
    if (length == 0)
        return NAME_EMPTY;
    if (IsPathSeparator(static_cast<unsigned char>(path[0])))
        return NAME_ROOTED;
    const char* const end = path + length;
    const char* component = path;
    for (const char* at = path;; ++at) {
        if (at == end || IsPathSeparator(static_cast<unsigned char>(*at))) {
            if (at == component && at != end)
                return NAME_EMPTY_COMPONENT;
            const E_NAME_FAULT fault = CheckComponent(component, static_cast<std::size_t>(at - component));
            if (fault != NAME_OK)
                return fault;
            if (at == end)
                return at == component ? NAME_EMPTY_FILE_NAME : NAME_OK;
            component = at + 1;
            continue;
        }
        if (StartsTwoByteCharacter(at, end, isLeadByte)) {
            ++at;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(*at);
        if (c == ':')
            return NAME_COLON;
        if (IsForbiddenCharacter(c))
            return NAME_BAD_CHARACTER;
    }
}

E_NAME_FAULT CheckEntryName(const char (&name)[ENTRY_NAME_SIZE], LeadBytePredicate isLeadByte) {
    if (!HoldsNul(name))
        return NAME_NOT_TERMINATED;
    return CheckRelativePath(name, std::strlen(name), isLeadByte);
}

const char* NameFaultText(E_NAME_FAULT fault) {
    switch (fault) {
        case NAME_OK:
            return "a good name";
        case NAME_EMPTY:
            return "the name is empty";
        case NAME_NOT_TERMINATED:
            return "the name has no end within its 32 bytes";
        case NAME_ROOTED:
            return "the name is rooted";
        case NAME_COLON:
            return "the name holds a colon (a drive or a stream)";
        case NAME_DOT_DOT:
            return "the name holds a parent folder (..)";
        case NAME_DEVICE_NAME:
            return "the name holds a device name (CON, NUL, COM1, ...)";
        case NAME_TRAILING_DOT_SPACE:
            return "a part of the name ends in a dot or a blank";
        case NAME_BAD_CHARACTER:
            return "the name holds a control character or one of *?\"<>|";
        case NAME_EMPTY_FILE_NAME:
            return "the name ends in a separator";
        case NAME_EMPTY_COMPONENT:
            return "the name holds two separators in a row";
    }
    return "a bad name";
}

const char* PackageFaultText(E_PACKAGE_FAULT fault) {
    switch (fault) {
        case PACKAGE_OK:
            return "the directory is sound";
        case PACKAGE_COUNT_MISSING:
            return "the file ends before the entry count";
        case PACKAGE_DIRECTORY_SHORT:
            return "the directory is cut short";
        case PACKAGE_PAYLOADS_SHORT:
            return "the payloads are cut short (or reach into the signature block)";
        case PACKAGE_BAD_ENTRY_NAME:
            return "an entry name is refused";
        case PACKAGE_DESTINATION_TOO_LONG:
            return "a destination path would be longer than 259 characters";
    }
    return "the directory is refused";
}

bool PayloadsEndAt(const PACKAGE_DIRECTORY& directory, std::uint64_t end) {
    return directory.bCountPresent && directory.nPresent >= directory.nCount &&
           PayloadOffset(directory.nCount) + DeclaredPayloadBytes(directory) == end;
}

PACKAGE_VERDICT CheckPackageDirectory(const PACKAGE_DIRECTORY& directory,
                                      std::uint64_t payloadEnd,
                                      std::size_t installFolderLength,
                                      LeadBytePredicate isLeadByte) {
    PACKAGE_VERDICT verdict = {PACKAGE_OK, 0, NAME_OK};
    if (!directory.bCountPresent) {
        verdict.fault = PACKAGE_COUNT_MISSING;
        return verdict;
    }
    if (directory.nPresent < directory.nCount) {
        verdict.fault = PACKAGE_DIRECTORY_SHORT;
        verdict.nEntry = directory.nPresent;
        return verdict;
    }
    const std::uint64_t payloadStart = PayloadOffset(directory.nCount);
    if (payloadEnd < payloadStart || payloadEnd - payloadStart < DeclaredPayloadBytes(directory)) {
        verdict.fault = PACKAGE_PAYLOADS_SHORT;
        return verdict;
    }
    for (unsigned i = 0; i < directory.nCount; ++i) {
        const PACKAGE_ENTRY& entry = directory.entries[i];
        verdict.nEntry = i;
        verdict.nameFault = CheckEntryName(entry.szName, isLeadByte);
        if (verdict.nameFault != NAME_OK) {
            verdict.fault = PACKAGE_BAD_ENTRY_NAME;
            return verdict;
        }
        if (installFolderLength + std::strlen(entry.szName) >= DESTINATION_PATH_SIZE) {
            verdict.fault = PACKAGE_DESTINATION_TOO_LONG;
            return verdict;
        }
    }
    return {PACKAGE_OK, 0, NAME_OK};
}

}  // namespace zr
