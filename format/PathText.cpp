#include "format/PathText.h"

namespace zr {
namespace {

bool Cp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool Cp936Or949Or950Lead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

}  // namespace

bool NoLeadBytes(unsigned char) {
    return false;
}

LeadBytePredicate LeadBytesOf(unsigned codePage) {
    if (codePage == 932)
        return &Cp932Lead;
    if (codePage == 936 || codePage == 949 || codePage == 950)
        return &Cp936Or949Or950Lead;
    return &NoLeadBytes;
}

bool StartsTwoByteCharacter(const char* at, const char* end, LeadBytePredicate isLeadByte) {
    return at + 1 < end && isLeadByte(static_cast<unsigned char>(at[0])) && static_cast<unsigned char>(at[1]) >= 0x40;
}

}  // namespace zr
