// Properties of the directory reader and its checks that must hold for any bytes at all. They are
// checked here with simpler byte-wise rules than the reader's own, so a mistake in one shows up as a
// disagreement with the other.
#include "tests/fuzz/PackageDirectoryFuzz.h"

#include <cstring>
#include <memory>
#include <string>

#include "format/PackageDirectory.h"
#include "format/SignatureBlock.h"

namespace zr::fuzz {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Byte-wise: a real separator is always one of these bytes, so whatever Windows sees as a ".."
// component is one here too.
bool HasDotDotComponent(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t at = 0; at <= path.size(); ++at) {
        if (at == path.size() || IsSeparator(path[at])) {
            if (path.compare(start, at - start, "..") == 0)
                return true;
            start = at + 1;
        }
    }
    return false;
}

// What no accepted path may hold in any code page: none of these bytes can be a second byte.
std::string UnsafePathReason(const std::string& path) {
    if (path.empty())
        return "empty";
    if (IsSeparator(path[0]))
        return "rooted";
    for (unsigned char c : path) {
        if (c == ':')
            return "holds a colon";
        if (c < 0x20)
            return "holds a control character";
        if (std::strchr("*?\"<>", c) != nullptr)
            return "holds a forbidden character";
    }
    if (HasDotDotComponent(path))
        return "has a .. component";
    const char last = path.back();
    if (last == '.' || last == ' ')
        return "ends in a dot or blank";
    return {};
}

}  // namespace

std::string CheckPackageDirectoryProperties(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return {};
    const bool doubleByte = (data[0] & 1) != 0;
    const LeadBytePredicate isLeadByte = doubleByte ? LeadBytesOf(932) : &NoLeadBytes;
    const std::string installFolder = "C:\\" + std::string((data[0] >> 1) * 2u, 'f') + "\\";

    // A copy of exactly the package's length, so that AddressSanitizer catches any read past it.
    const std::size_t packageSize = size - 1;
    std::unique_ptr<unsigned char[]> package(new unsigned char[packageSize ? packageSize : 1]);
    std::memcpy(package.get(), data + 1, packageSize);

    // The signature block at the end: found only behind its magic, and a decoded one is exactly its bytes.
    if (packageSize >= SIGNATURE_BLOCK_SIZE) {
        unsigned char tail[SIGNATURE_BLOCK_SIZE];
        std::memcpy(tail, package.get() + packageSize - SIGNATURE_BLOCK_SIZE, SIGNATURE_BLOCK_SIZE);
        SIGNATURE_BLOCK block = {};
        const E_BLOCK_FORM form = DecodeSignatureBlock(tail, &block);
        if ((form == BLOCK_ABSENT) != (std::memcmp(tail, SIGNATURE_MAGIC, sizeof SIGNATURE_MAGIC) != 0))
            return "signature block magic misjudged";
        if (form == BLOCK_DIGEST_ONLY || form == BLOCK_SIGNED) {
            unsigned char again[SIGNATURE_BLOCK_SIZE];
            EncodeSignatureBlock(block, again);
            if (std::memcmp(tail, again, SIGNATURE_BLOCK_SIZE) != 0)
                return "signature block misread";
        }
    }

    auto directory = std::make_unique<PACKAGE_DIRECTORY>();
    DecodePackageDirectory(package.get(), packageSize, directory.get());

    const bool countPresent = packageSize > ENTRY_COUNT_OFFSET;
    if (directory->bCountPresent != countPresent)
        return "entry count presence misjudged";
    const unsigned count = countPresent ? package[ENTRY_COUNT_OFFSET] : 0;
    if (directory->nCount != count)
        return "entry count misread";
    const std::uint64_t whole =
        countPresent && packageSize >= DIRECTORY_OFFSET ? (packageSize - DIRECTORY_OFFSET) / DIRECTORY_ENTRY_SIZE : 0;
    if (directory->nPresent != (whole < count ? whole : count))
        return "number of complete records misjudged";

    const PACKAGE_VERDICT verdict = CheckPackageDirectory(*directory, packageSize, installFolder.size(), isLeadByte);
    std::uint64_t declared = 0;
    for (unsigned i = 0; i < directory->nPresent; ++i)
        declared += directory->entries[i].dwSize;
    const bool complete = countPresent && directory->nPresent == count;
    const bool payloadsFit = complete && packageSize - PayloadOffset(count) >= declared;
    if (!countPresent && verdict.fault != PACKAGE_COUNT_MISSING)
        return "missing entry count not refused";
    if (countPresent && !complete && verdict.fault != PACKAGE_DIRECTORY_SHORT)
        return "short directory not refused";
    if (complete && !payloadsFit && verdict.fault != PACKAGE_PAYLOADS_SHORT)
        return "payloads cut short not refused";
    if (verdict.fault != PACKAGE_OK)
        return {};

    for (unsigned i = 0; i < count; ++i) {
        const PACKAGE_ENTRY& entry = directory->entries[i];
        const unsigned char* record = package.get() + PayloadOffset(i);
        if (std::memcmp(entry.szName, record, ENTRY_NAME_SIZE) != 0 ||
            entry.dwSize != DecodeBigEndian32(record + ENTRY_NAME_SIZE))
            return "record " + std::to_string(i) + " misread";
        if (std::memchr(entry.szName, '\0', ENTRY_NAME_SIZE) == nullptr)
            return "unterminated name accepted";
        const std::string name = entry.szName;
        std::string reason = UnsafePathReason(name);
        if (!reason.empty())
            return "entry name accepted that " + reason;

        // In a single-byte code page every separator byte is one: two in a row name a folder without
        // a name, and a last one a folder instead of a file.
        if (!doubleByte) {
            for (std::size_t at = 1; at < name.size(); ++at) {
                if (IsSeparator(name[at]) && IsSeparator(name[at - 1]))
                    return "entry name with an empty component accepted";
            }
            if (IsSeparator(name.back()))
                return "entry name without a file name accepted";
        }
        if (installFolder.size() + name.size() >= DESTINATION_PATH_SIZE)
            return "Destination path past the limit accepted";
    }
    return {};
}

}  // namespace zr::fuzz
