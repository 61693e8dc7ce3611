#include "format/PathText.h"

#include <cstring>

namespace zr {

bool NoLeadBytes(unsigned char) {
    return false;
}

bool StartsTwoByteCharacter(const char* at, const char* end, LeadBytePredicate isLeadByte) {
    return at + 1 < end && isLeadByte(static_cast<unsigned char>(at[0])) && static_cast<unsigned char>(at[1]) >= 0x40;
}

std::size_t FolderPartLength(const char* path, LeadBytePredicate isLeadByte) {
    const char* const end = path + std::strlen(path);
    std::size_t folder = 0;
    for (const char* at = path; at < end; ++at) {
        if (StartsTwoByteCharacter(at, end, isLeadByte))
            ++at;
        else if (IsPathSeparator(static_cast<unsigned char>(*at)))
            folder = static_cast<std::size_t>(at - path) + 1;
    }
    return folder;
}

}  // namespace zr
