// The packages every signature test judges, with what a tool built without keys and one built with
// the two test keys make of each. The in-process installer tests of both builds, the native package
// tool's verification and the Windows one all run this one table, so they cannot drift apart.
#pragma once

#include <string>
#include <vector>

#include "installer/InstallOutcome.h"
#include "format/PackageDirectory.h"
#include "format/PackageFormat.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/SignedPackages.h"

namespace zr::test {

struct SignatureCase {
    const char* name;
    std::string bytes;
    E_INSTALL_OUTCOME withoutKeys;
    E_INSTALL_OUTCOME withKeys;
};

// The entries of every case's package, and the files a successful install leaves.
inline std::vector<SampleEntry> SignatureCaseEntries() {
    return {{"EXCEL\\Report.xls", "new report"}, {"ReadMe.txt", "new readme"}};
}

inline std::vector<SignatureCase> SignatureCases() {
    const std::string plain = SamplePackage("1.05", 1, SignatureCaseEntries());
    const std::string signedFirst = SignedWith(plain, TestKey::FIRST);
    const std::string digestOnly = WithBlock(plain, nullptr);
    const long long block = static_cast<long long>(SIGNATURE_BLOCK_SIZE);
    const long long payload = static_cast<long long>(PayloadOffset(2)) + 3;

    // A last payload whose declared size takes in the block's bytes as well.
    std::string reaching = plain;
    EncodeBigEndian32(
        static_cast<std::uint32_t>(10 + SIGNATURE_BLOCK_SIZE),
        reinterpret_cast<unsigned char*>(&reaching[DIRECTORY_OFFSET + DIRECTORY_ENTRY_SIZE + ENTRY_NAME_SIZE]));
    // Bytes between the last payload and the block: a signed package inside another block, the last
    // size one byte short, the entry count one short.
    std::string lastShort = plain;
    EncodeBigEndian32(
        9, reinterpret_cast<unsigned char*>(&lastShort[DIRECTORY_OFFSET + DIRECTORY_ENTRY_SIZE + ENTRY_NAME_SIZE]));
    std::string countShort = plain;
    countShort[ENTRY_COUNT_OFFSET] = 1;
    std::string unknownForm = signedFirst;
    unknownForm[signedFirst.size() - block + SIGNATURE_FORM_OFFSET + 3] = 2;

    const E_INSTALL_OUTCOME DONE = INSTALL_DONE;
    const E_INSTALL_OUTCOME UNTRUSTED = INSTALL_PACKAGE_UNTRUSTED;
    return {
        {"signed by the first key", signedFirst, DONE, DONE},
        {"signed by the second key", SignedWith(plain, TestKey::SECOND), DONE, DONE},
        {"signed by another key", SignedWith(plain, TestKey::OTHER), DONE, UNTRUSTED},
        {"unsigned", plain, DONE, UNTRUSTED},
        {"digest only", digestOnly, DONE, UNTRUSTED},
        {"digest only, payload bit flipped", FlipBit(digestOnly, payload), UNTRUSTED, UNTRUSTED},
        // Bit 4 of the language byte is read by nobody: only the digest sees it.
        {"header bit flipped", FlipBit(signedFirst, LANGUAGE_BYTE_OFFSET, 4), UNTRUSTED, UNTRUSTED},
        {"directory name bit flipped", FlipBit(signedFirst, DIRECTORY_OFFSET + 6), UNTRUSTED, UNTRUSTED},
        {"directory size bit flipped", FlipBit(signedFirst, DIRECTORY_OFFSET + ENTRY_NAME_SIZE + 3, 1), UNTRUSTED,
         UNTRUSTED},
        {"payload bit flipped", FlipBit(signedFirst, payload), UNTRUSTED, UNTRUSTED},
        {"block digest bit flipped", FlipBit(signedFirst, -block + SIGNATURE_DIGEST_OFFSET), UNTRUSTED, UNTRUSTED},
        {"block signature bit flipped", FlipBit(signedFirst, -1), DONE, UNTRUSTED},
        {"block key id bit flipped", FlipBit(signedFirst, -block + SIGNATURE_KEY_ID_OFFSET), DONE, UNTRUSTED},
        // No longer a block: the package reads as an unsigned one with trailing bytes.
        {"block magic bit flipped", FlipBit(signedFirst, -block), DONE, UNTRUSTED},
        {"block of an unknown form", unknownForm, UNTRUSTED, UNTRUSTED},
        {"block cut short", signedFirst.substr(0, signedFirst.size() - 10), DONE, UNTRUSTED},
        {"bytes after the block", signedFirst + "trailing", DONE, UNTRUSTED},
        {"signed package of 0 entries", SignedWith(SamplePackage("1.05", 1, {}), TestKey::FIRST), DONE, DONE},
        {"payloads reaching into the block", SignedWith(reaching, TestKey::FIRST), UNTRUSTED, UNTRUSTED},
        {"digest only, payloads reaching into the block", WithBlock(reaching, nullptr), UNTRUSTED, UNTRUSTED},
        {"a signed package inside a second block", SignedWith(signedFirst, TestKey::FIRST), UNTRUSTED, UNTRUSTED},
        {"digest only, a block inside", WithBlock(digestOnly, nullptr), UNTRUSTED, UNTRUSTED},
        {"signed, last size one byte short", SignedWith(lastShort, TestKey::FIRST), UNTRUSTED, UNTRUSTED},
        {"digest only, last size one byte short", WithBlock(lastShort, nullptr), UNTRUSTED, UNTRUSTED},
        {"signed, entry count one short", SignedWith(countShort, TestKey::FIRST), UNTRUSTED, UNTRUSTED},
        {"digest only, entry count one short", WithBlock(countShort, nullptr), UNTRUSTED, UNTRUSTED},
    };
}

}  // namespace zr::test
