#include "tools/vupcab/ReleasePackage.h"

#include <cstdio>
#include <map>
#include <system_error>

#include "package/PackageFormat.h"
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
