#include "format/PathText.h"

namespace zr {

bool NoLeadBytes(unsigned char) {
    return false;
}

bool StartsTwoByteCharacter(const char* at, const char* end, LeadBytePredicate isLeadByte) {
    return at + 1 < end && isLeadByte(static_cast<unsigned char>(at[0])) && static_cast<unsigned char>(at[1]) >= 0x40;
}

}  // namespace zr
