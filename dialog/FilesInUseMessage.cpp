#include "dialog/FilesInUseMessage.h"

#include <cstdio>

#include "dialog/DialogTexts.h"
#include "framework/TextEncoding.h"

std::string FilesInUseMessage(const zr::FILES_IN_USE& inUse, bool english) {
    std::string text = zr::OutcomeRow(zr::INSTALL_FILES_IN_USE).message.In(english);
    text += "\n";
    for (std::size_t i = 0; i < inUse.files.size() && i < IN_USE_FILES_LISTED; ++i)
        text += "\n" + inUse.files[i];
    if (inUse.files.size() > IN_USE_FILES_LISTED) {
        char more[64];
        std::snprintf(more, sizeof more, TEXT_IN_USE_MORE.In(english),
                      static_cast<unsigned>(inUse.files.size() - IN_USE_FILES_LISTED));
        text += std::string("\n") + more;
    }
    if (!inUse.holders.empty()) {
        text += std::string("\n\n") + TEXT_IN_USE_PROGRAMS.In(english);
        for (std::size_t i = 0; i < inUse.holders.size(); ++i) {
            if (i > 0)
                text += ", ";
            text += zr::NarrowToAnsi(inUse.holders[i].name) + " (" + std::to_string(inUse.holders[i].nProcessId) + ")";
        }
    }
    return text;
}
