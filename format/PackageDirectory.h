// Reading a package's directory and judging every entry before anything is written: the first step
// of an installation's plan (the file system's part follows in installer/PackagePlan.h).
// Platform-free (no Windows header): the installer, the package tool and the fuzz target share it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/PackageFormat.h"
#include "format/PathText.h"

namespace zr {

// The header and the largest directory the layout can carry: all the bytes the directory reader needs.
inline constexpr std::size_t MAX_DIRECTORY_END = DIRECTORY_OFFSET + DIRECTORY_ENTRY_SIZE * MAX_ENTRY_COUNT;
// A Destination path (the installation folder's text and the entry name) holds at most 259 characters.
inline constexpr std::size_t DESTINATION_PATH_SIZE = 260;

// The directory as a package declares it, decoded without judging it.
struct PACKAGE_DIRECTORY {
    bool bCountPresent;  // the file reaches the entry count byte
    unsigned nCount;     // declared entry count, 0 when the byte is missing
    unsigned nPresent;   // complete directory records in the bytes given, at most nCount
    PACKAGE_ENTRY entries[MAX_ENTRY_COUNT];
};

// Offset of the first payload behind a directory of `count` records.
inline constexpr std::uint64_t PayloadOffset(unsigned count) {
    return DIRECTORY_OFFSET + std::uint64_t{DIRECTORY_ENTRY_SIZE} * count;
}

// Decodes the header's entry count and the directory records from the package's first `size` bytes;
// bytes beyond MAX_DIRECTORY_END are never looked at. Sizes come out in native order.
void DecodePackageDirectory(const unsigned char* head, std::size_t size, PACKAGE_DIRECTORY* directory);

// Why a name cannot be written safely, as a relative path of files below a folder.
enum E_NAME_FAULT {
    NAME_OK,
    NAME_EMPTY,
    NAME_NOT_TERMINATED,      // no NUL among the field's 32 bytes
    NAME_ROOTED,              // leading separator, which also covers UNC and \\?\ prefixes
    NAME_COLON,               // drive letters, alternate data streams
    NAME_DOT_DOT,             // a parent-folder component
    NAME_DEVICE_NAME,         // CON, NUL, COM1, LPT1... with or without an extension
    NAME_TRAILING_DOT_SPACE,  // Windows would silently drop it and write another name
    NAME_BAD_CHARACTER,       // control characters and *?"<>|
    NAME_EMPTY_FILE_NAME,     // ends in a separator: a folder, not a file
    NAME_EMPTY_COMPONENT,     // two separators in a row: a folder without a name
};
// A short English text for a name fault, for the log and the package tool.
const char* NameFaultText(E_NAME_FAULT fault);

// Judges a relative path of `length` bytes. Separators are '\' and '/'.
E_NAME_FAULT CheckRelativePath(const char* path, std::size_t length, LeadBytePredicate isLeadByte);

// Judges a directory record's name field: terminated, and safe as a path below the installation.
E_NAME_FAULT CheckEntryName(const char (&name)[ENTRY_NAME_SIZE], LeadBytePredicate isLeadByte);

// Why a whole package is refused before anything is written.
enum E_PACKAGE_FAULT {
    PACKAGE_OK,
    PACKAGE_COUNT_MISSING,    // the file ends before the entry count byte
    PACKAGE_DIRECTORY_SHORT,  // fewer directory records than the count declares
    PACKAGE_PAYLOADS_SHORT,   // declared payload sizes add up to more than the bytes after the directory
    PACKAGE_BAD_ENTRY_NAME,   // see PACKAGE_VERDICT::nameFault
    PACKAGE_DESTINATION_TOO_LONG,
};

struct PACKAGE_VERDICT {
    E_PACKAGE_FAULT fault;
    unsigned nEntry;         // index of the offending record, when the fault concerns one
    E_NAME_FAULT nameFault;  // for PACKAGE_BAD_ENTRY_NAME
};
// A short English text for a package fault, for the log and the package tool.
const char* PackageFaultText(E_PACKAGE_FAULT fault);

// Whether the directory is complete and the payloads it declares end exactly at `end`. A package with
// a signature block must end its last payload where the block begins: bytes between them (a second
// block inside, a size or the entry count short) are damage, not a package as its maker signed it.
bool PayloadsEndAt(const PACKAGE_DIRECTORY& directory, std::uint64_t end);

// Checks everything about a package that needs no file system: a complete directory, payloads
// present in full within the `payloadEnd` bytes the package carries before any signature block,
// safe names, and Destination paths that fit behind an installation folder text of
// `installFolderLength` characters. Trailing bytes after the last payload and payloads of size 0 are
// fine here (PayloadsEndAt judges a signed package's end).
PACKAGE_VERDICT CheckPackageDirectory(const PACKAGE_DIRECTORY& directory,
                                      std::uint64_t payloadEnd,
                                      std::size_t installFolderLength,
                                      LeadBytePredicate isLeadByte);

}  // namespace zr
