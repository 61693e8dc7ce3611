#include "tools/vupcab/ReleasePackage.h"

#include <cstdio>
#include <map>
#include <set>
#include <system_error>

#include "format/PackageFormat.h"
#include "tools/vupcab/NameText.h"
#include "tools/vupcab/PackageSigning.h"

namespace zr {
namespace {

std::vector<PackageFileEntry> AsEntries(const std::vector<RELEASE_FILE>& files) {
    std::vector<PackageFileEntry> entries;
    for (const RELEASE_FILE& file : files) {
        PackageFileEntry entry;
        entry.name = file.name;
        entry.sourcePath = file.source;
        entries.push_back(entry);
    }
    return entries;
}

void RefuseOverLimit(std::size_t count, const std::filesystem::path& folder, std::vector<std::string>* refusals) {
    if (count > MAX_ENTRY_COUNT)
        refusals->push_back("\"" + folder.string() + "\": " + std::to_string(count) +
                            " files, a package carries at most 255");
}

// The folders below `folder` that hold a file of `tree`, as the tool compares names.
std::set<std::string> FolderKeys(const RELEASE_TREE& tree, const std::filesystem::path& folder, unsigned codePage) {
    std::set<std::string> keys;
    for (const RELEASE_FILE& file : tree.files) {
        for (auto way = file.source.lexically_relative(folder).parent_path(); !way.empty(); way = way.parent_path()) {
            std::string name;
            if (ToPackageName(way, codePage, &name))
                keys.insert(NameKey(name, codePage));
        }
    }
    return keys;
}

}  // namespace

bool EntriesFromFolder(const std::filesystem::path& folder,
                       PackageContents* contents,
                       std::vector<std::string>* refusals,
                       std::string* error) {
    RELEASE_TREE tree;
    if (!ReadReleaseTree(folder, CodePageOfLanguage(contents->language), &tree, error))
        return false;
    *refusals = tree.refusals;
    RefuseOverLimit(tree.files.size() + tree.refusals.size(), folder, refusals);
    if (!refusals->empty())
        return false;
    contents->entries = AsEntries(tree.files);
    return true;
}

bool DiffFolders(const std::filesystem::path& oldFolder,
                 const std::filesystem::path& newFolder,
                 unsigned codePage,
                 TREE_DIFF* diff,
                 std::vector<std::string>* refusals,
                 std::string* error) {
    *diff = TREE_DIFF();
    RELEASE_TREE before, after;
    if (!ReadReleaseTree(oldFolder, codePage, &before, error) || !ReadReleaseTree(newFolder, codePage, &after, error))
        return false;
    *refusals = after.refusals;
    std::map<std::string, const RELEASE_FILE*> old;
    for (const RELEASE_FILE& file : before.files)
        old.emplace(NameKey(file.name, codePage), &file);
    for (const RELEASE_FILE& file : after.files) {
        const auto found = old.find(NameKey(file.name, codePage));
        if (found == old.end()) {
            diff->added.push_back(file);
            continue;
        }
        if (found->second->size == file.size && SameFileContents(found->second->source, file.source))
            diff->unchanged.push_back(file.name);
        else
            diff->changed.push_back(file);
        old.erase(found);
    }
    for (const auto& gone : old)
        diff->removed.push_back(gone.second->name);
    // The tool creates no folders: a file added in a folder the old release lacks would make every
    // installation of it refuse the whole package. An empty folder in OLD counts as there.
    const std::set<std::string> oldFolders = FolderKeys(before, oldFolder, codePage);
    for (const RELEASE_FILE& file : diff->added) {
        const std::filesystem::path way = file.source.lexically_relative(newFolder).parent_path();
        std::string name;
        std::error_code failure;
        if (way.empty() || (ToPackageName(way, codePage, &name) && oldFolders.count(NameKey(name, codePage))) ||
            std::filesystem::is_directory(std::filesystem::symlink_status(oldFolder / way, failure)))
            continue;
        refusals->push_back("\"" + file.source.lexically_relative(newFolder).generic_string() + "\": its folder \"" +
                            way.generic_string() +
                            "\" is not in the old release, and the tool places files only in folders the "
                            "installation has");
    }
    RefuseOverLimit(diff->added.size() + diff->changed.size(), newFolder, refusals);
    return refusals->empty();
}

bool CreatePackageFile(const PackageContents& contents,
                       const std::string& outputPath,
                       const std::string& privateKeyPath,
                       std::string* keyId,
                       std::string* error) {
    keyId->clear();
    const std::string refusal = CheckPackageContents(contents);
    if (!refusal.empty()) {
        *error = refusal;
        return false;
    }
    KeyPair pair = {};
    if (!privateKeyPath.empty() && !ReadPrivateKeyFile(privateKeyPath, &pair, error))
        return false;
    const std::string partial = PartialNameBeside(outputPath);
    bool made = WritePackage(contents, partial, error);
    if (made && !privateKeyPath.empty()) {
        made = SignPackageFile(partial, pair, error);
        const KeyId id = KeyIdOf(PublicPart(pair));
        *keyId = ToHex(id.data(), id.size());
    }
    pair.fill(0);
    made = made && PublishPackage(partial, outputPath, error);
    if (!made) {
        std::remove(partial.c_str());
        keyId->clear();
    }
    return made;
}

std::uint64_t PayloadBytes(const PackageContents& contents) {
    std::uint64_t total = 0;
    for (const PackageFileEntry& entry : contents.entries) {
        std::error_code failure;
        total += entry.sourcePath.empty() ? entry.bytes.size() : std::filesystem::file_size(entry.sourcePath, failure);
    }
    return total;
}

}  // namespace zr
