#include "tools/vupcab/ReleaseTree.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <system_error>

#include "framework/ScopedHandle.h"
#include "format/PackageDirectory.h"
#include "tools/vupcab/NameText.h"

namespace zr {
namespace {

namespace fs = std::filesystem;

std::string Shown(const fs::path& relative) {
    return "\"" + relative.generic_string() + "\"";
}

// Why the tool could not take `name` as an entry name, or empty when it can.
std::string NameRefusal(const std::string& name, unsigned codePage) {
    if (name.size() >= ENTRY_NAME_SIZE)
        return "its name is " + std::to_string(name.size()) + " bytes in code page " + std::to_string(codePage) +
               " (at most 31)";
    const LeadBytePredicate isLead = LeadBytesOf(codePage);
    const E_NAME_FAULT fault = CheckRelativePath(name.c_str(), name.size(), isLead);
    return fault == NAME_OK ? std::string() : NameFaultText(fault);
}

}  // namespace

bool ReadReleaseTree(const fs::path& folder, unsigned codePage, RELEASE_TREE* tree, std::string* error) {
    *tree = RELEASE_TREE();
    std::error_code failure;
    if (!fs::is_directory(fs::symlink_status(folder, failure))) {
        *error = "\"" + folder.string() + "\" is not a folder";
        return false;
    }
    fs::recursive_directory_iterator walk(folder, fs::directory_options::none, failure);
    std::map<std::string, fs::path> keys;  // NameKey -> the first file of that name
    for (; !failure && walk != fs::recursive_directory_iterator(); walk.increment(failure)) {
        const fs::path path = walk->path();
        const fs::path relative = path.lexically_relative(folder);
        const fs::file_status status = fs::symlink_status(path, failure);
        if (failure)
            break;
        if (fs::is_symlink(status)) {
            tree->refusals.push_back(Shown(relative) + ": a link (a package carries files only)");
            continue;
        }
        if (fs::is_directory(status))
            continue;  // a link to a folder is never entered: links are refused above
        if (!fs::is_regular_file(status)) {
            tree->refusals.push_back(Shown(relative) + ": a special file (a package carries files only)");
            continue;
        }
        RELEASE_FILE file;
        file.source = path;
        file.size = fs::file_size(path, failure);
        if (failure)
            break;
        if (!ToPackageName(relative, codePage, &file.name)) {
            tree->refusals.push_back(Shown(relative) + ": its name cannot be written exactly in code page " +
                                     std::to_string(codePage));
            continue;
        }
        const std::string refusal = NameRefusal(file.name, codePage);
        if (!refusal.empty()) {
            tree->refusals.push_back(Shown(relative) + ": " + refusal);
            continue;
        }
        if (file.size > 0xFFFFFFFFull) {
            tree->refusals.push_back(Shown(relative) + ": " + std::to_string(file.size) +
                                     " bytes, over the 4 GiB a payload can hold");
            continue;
        }
        const auto known = keys.emplace(NameKey(file.name, codePage), relative);
        if (!known.second) {
            tree->refusals.push_back(Shown(relative) + ": the same name as " + Shown(known.first->second) +
                                     " for the tool, which ignores the case of letters");
            continue;
        }
        tree->files.push_back(file);
    }
    if (failure) {
        *error = "cannot read below \"" + folder.string() + "\": " + failure.message();
        return false;
    }
    std::sort(tree->files.begin(), tree->files.end(), [codePage](const RELEASE_FILE& a, const RELEASE_FILE& b) {
        const std::string ka = NameKey(a.name, codePage), kb = NameKey(b.name, codePage);
        return ka != kb ? ka < kb : a.name < b.name;
    });
    std::sort(tree->refusals.begin(), tree->refusals.end());
    return true;
}

bool SameFileContents(const fs::path& a, const fs::path& b) {
    std::error_code failure;
    if (fs::file_size(a, failure) != fs::file_size(b, failure) || failure)
        return false;
    ScopedFile first(std::fopen(a.string().c_str(), "rb"));
    ScopedFile second(std::fopen(b.string().c_str(), "rb"));
    if (!first || !second)
        return false;
    static char left[1 << 16], right[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(left, 1, sizeof left, first.get());
        const std::size_t m = std::fread(right, 1, sizeof right, second.get());
        if (n != m || std::memcmp(left, right, n) != 0)
            return false;
        if (n == 0)
            return !std::ferror(first.get()) && !std::ferror(second.get());
    }
}

}  // namespace zr
