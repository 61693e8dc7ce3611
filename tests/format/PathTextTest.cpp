// The lead-byte table the installer and the package tool share, against Windows' own for each code page
// Windows can have as its ANSI code page: a byte the table misses would let a name's second byte pass
// as a separator.
#include <gtest/gtest.h>

#include <windows.h>

#include "format/PathText.h"

namespace {

TEST(LeadBytesOf, AgreesWithWindowsForEveryByte) {
    for (const unsigned codePage : {932u, 936u, 949u, 950u, 1250u, 1252u, 1253u}) {
        const zr::LeadBytePredicate isLead = zr::LeadBytesOf(codePage);
        for (unsigned byte = 0; byte < 256; ++byte) {
            SCOPED_TRACE(testing::Message() << "code page " << codePage << ", byte 0x" << std::hex << byte);
            EXPECT_EQ(isLead(static_cast<unsigned char>(byte)),
                      ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != FALSE);
        }
    }
}

}  // namespace
