// mkvupcab: builds an update package from a version text, a Language code and a list of files, and
// lists what a package declares.
//
//   mkvupcab create OUTPUT --version 1.05 --language 1 [--entry "EXCEL\Report.xls" report.xls]...
//   mkvupcab list PACKAGE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/vupcab/PackageWriter.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: mkvupcab create OUTPUT --version TEXT --language CODE [--entry NAME SOURCE]...\n"
                 "       mkvupcab list PACKAGE\n"
                 "NAME is the file's path below the installation folder, folders separated by a backslash.\n");
    return 2;
}

bool ParseCode(const char* text, int* code) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < -1000 || value > 1000)
        return false;
    *code = static_cast<int>(value);
    return true;
}

int Create(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    zr::PackageContents contents;
    bool haveVersion = false;
    bool haveLanguage = false;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--version" && i + 1 < argc) {
            contents.version = argv[++i];
            haveVersion = true;
        } else if (option == "--language" && i + 1 < argc) {
            if (!ParseCode(argv[++i], &contents.language)) {
                std::fprintf(stderr, "mkvupcab: Language code \"%s\" is not a number\n", argv[i]);
                return 1;
            }
            haveLanguage = true;
        } else if (option == "--entry" && i + 2 < argc) {
            zr::PackageFileEntry entry;
            entry.name = argv[i + 1];
            entry.sourcePath = argv[i + 2];
            contents.entries.push_back(entry);
            i += 2;
        } else {
            return Usage();
        }
    }
    if (!haveVersion || !haveLanguage)
        return Usage();
    std::string error;
    if (!zr::WritePackage(contents, argv[2], &error)) {
        std::fprintf(stderr, "mkvupcab: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int List(const char* path) {
    zr::PackageListing listing;
    std::string error;
    if (!zr::ReadPackageListing(path, &listing, &error)) {
        std::fprintf(stderr, "mkvupcab: %s\n", error.c_str());
        return 1;
    }
    std::printf("version  %s\nlanguage %u (byte 0x%02X)\nentries  %u\n", listing.version.c_str(),
                listing.languageByte & 0x0F, listing.languageByte, listing.entryCount);
    unsigned long long declared = 0;
    for (const zr::PackageListing::Record& record : listing.records) {
        std::printf("%12lu  %s%s\n", static_cast<unsigned long>(record.size), record.name.c_str(),
                    record.terminated ? "" : "  (name not terminated)");
        declared += record.size;
    }
    if (!listing.directoryComplete)
        std::printf("directory cut short: %zu of %u entries present\n", listing.records.size(), listing.entryCount);
    std::printf("payload  %llu bytes declared, %llu present\n", declared,
                static_cast<unsigned long long>(listing.payloadBytes));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "create") == 0)
        return Create(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "list") == 0)
        return List(argv[2]);
    return Usage();
}
