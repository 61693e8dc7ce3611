#include "tools/vupcab/PackageWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "framework/ScopedHandle.h"
#include "format/PackageDirectory.h"
#include "format/PackageFormat.h"
#include "format/PackageHeader.h"
#include "tools/vupcab/FileOpen.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zr {
namespace {

// Size of a regular file (what can be opened for reading), -1 when it cannot be read.
long long SourceSize(const std::filesystem::path& path) {
    std::error_code failure;
    const std::uintmax_t size = std::filesystem::file_size(path, failure);
    if (failure || !OpenFile(path, "rb"))
        return -1;
    return static_cast<long long>(size);
}

long long PayloadSize(const PackageFileEntry& entry) {
    return entry.sourcePath.empty() ? static_cast<long long>(entry.bytes.size()) : SourceSize(entry.sourcePath);
}

std::string HeaderAndDirectory(const PackageContents& contents, const std::vector<long long>& sizes) {
    std::string out(DIRECTORY_OFFSET + DIRECTORY_ENTRY_SIZE * contents.entries.size(), '\0');
    std::memcpy(&out[0], contents.version.data(), contents.version.size());
    out[LANGUAGE_BYTE_OFFSET] = static_cast<char>(contents.language);
    out[ENTRY_COUNT_OFFSET] = static_cast<char>(contents.entries.size());
    for (std::size_t i = 0; i < contents.entries.size(); ++i) {
        char* record = &out[DIRECTORY_OFFSET + DIRECTORY_ENTRY_SIZE * i];
        std::memcpy(record, contents.entries[i].name.data(), contents.entries[i].name.size());
        EncodeBigEndian32(static_cast<std::uint32_t>(sizes[i]),
                          reinterpret_cast<unsigned char*>(record) + ENTRY_NAME_SIZE);
    }
    return out;
}

std::string CheckWithSizes(const PackageContents& contents, std::vector<long long>* sizes) {
    if (contents.version.size() > VERSION_FIELD_SIZE)
        return "version text \"" + contents.version + "\" has more than 10 characters";
    if (contents.language < 0 || contents.language > MAX_LANGUAGE_CODE)
        return "Language code " + std::to_string(contents.language) + " is outside 0 to 15";
    if (contents.entries.size() > MAX_ENTRY_COUNT)
        return "a package carries at most 255 entries, not " + std::to_string(contents.entries.size());
    for (const PackageFileEntry& entry : contents.entries) {
        if (entry.name.empty())
            return "an entry name is empty";
        if (entry.name.size() >= ENTRY_NAME_SIZE)
            return "entry name \"" + entry.name + "\" has 32 characters or more (at most 31)";
        if (entry.name.find('\0') != std::string::npos)
            return "entry name \"" + entry.name + "\" holds a NUL character";
        const long long size = PayloadSize(entry);
        if (size < 0)
            return "cannot read \"" + entry.sourcePath.string() + "\" for entry \"" + entry.name + "\"";
        if (size > 0xFFFFFFFFLL)
            return "the payload of entry \"" + entry.name + "\" is over 4 GiB";
        sizes->push_back(size);
    }
    return {};
}

// Copies exactly the `size` bytes the directory declares: a source that changed size since it was
// measured fails the write instead of making a package whose payloads do not match its directory.
bool CopySource(const std::filesystem::path& path, long long size, std::FILE* out) {
    ScopedFile in(OpenFile(path, "rb"));
    if (!in)
        return false;
    char buffer[1 << 16];
    long long left = size;
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;) {
        if (static_cast<long long>(n) > left || std::fwrite(buffer, 1, n, out) != n)
            return false;
        left -= static_cast<long long>(n);
    }
    return !std::ferror(in.get()) && left == 0;
}

}  // namespace

std::string CheckPackageContents(const PackageContents& contents) {
    std::vector<long long> sizes;
    return CheckWithSizes(contents, &sizes);
}

bool WritePackage(const PackageContents& contents, const std::string& outputPath, std::string* error) {
    std::vector<long long> sizes;
    std::string refusal = CheckWithSizes(contents, &sizes);
    if (!refusal.empty()) {
        *error = refusal;
        return false;
    }
    ScopedFile out(std::fopen(outputPath.c_str(), "wb"));
    if (!out) {
        *error = "cannot create \"" + outputPath + "\"";
        return false;
    }
    const std::string head = HeaderAndDirectory(contents, sizes);
    bool written = std::fwrite(head.data(), 1, head.size(), out.get()) == head.size();
    for (std::size_t i = 0; written && i < contents.entries.size(); ++i) {
        const PackageFileEntry& entry = contents.entries[i];
        written = entry.sourcePath.empty()
                      ? std::fwrite(entry.bytes.data(), 1, entry.bytes.size(), out.get()) == entry.bytes.size()
                      : CopySource(entry.sourcePath, sizes[i], out.get());
    }
    written = (std::fclose(out.release()) == 0) && written;
    if (!written)
        *error = "writing \"" + outputPath + "\" failed";
    return written;
}

std::string PartialNameBeside(const std::string& outputPath) {
#ifdef _WIN32
    const unsigned long process = ::GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(::getpid());
#endif
    return outputPath + ".partial-" + std::to_string(process);
}

bool PublishPackage(const std::string& partialPath, const std::string& outputPath, std::string* error) {
#ifdef _WIN32
    const bool renamed = ::MoveFileExA(partialPath.c_str(), outputPath.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
#else
    const bool renamed = std::rename(partialPath.c_str(), outputPath.c_str()) == 0;
#endif
    if (!renamed)
        *error = "cannot rename \"" + partialPath + "\" to \"" + outputPath + "\"";
    return renamed;
}

std::string BuildPackageBytes(const PackageContents& contents) {
    std::vector<long long> sizes;
    for (const PackageFileEntry& entry : contents.entries)
        sizes.push_back(static_cast<long long>(entry.bytes.size()));
    std::string out = HeaderAndDirectory(contents, sizes);
    for (const PackageFileEntry& entry : contents.entries)
        out += entry.bytes;
    return out;
}

bool ReadPackageListing(const std::string& path, PackageListing* listing, std::string* error) {
    ScopedFile in(std::fopen(path.c_str(), "rb"));
    if (!in) {
        *error = "cannot open \"" + path + "\"";
        return false;
    }
    *listing = PackageListing();
    // The same directory reader as the tool's installer, so the listing shows what it would see.
    std::vector<unsigned char> head(MAX_DIRECTORY_END);
    const std::size_t got = std::fread(head.data(), 1, head.size(), in.get());
    auto directory = std::make_unique<PACKAGE_DIRECTORY>();
    DecodePackageDirectory(head.data(), got, directory.get());

    listing->version = DecodePackageHeader(head.data(), got).szVersion;
    listing->languageByte = got > LANGUAGE_BYTE_OFFSET ? head[LANGUAGE_BYTE_OFFSET] : 0;
    listing->entryCount = directory->nCount;
    listing->directoryComplete = directory->bCountPresent && directory->nPresent == directory->nCount;
    for (unsigned i = 0; i < directory->nPresent; ++i) {
        const PACKAGE_ENTRY& entry = directory->entries[i];
        PackageListing::Record record;
        record.name.assign(entry.szName, strnlen(entry.szName, ENTRY_NAME_SIZE));
        record.terminated = record.name.size() < ENTRY_NAME_SIZE;
        record.size = entry.dwSize;
        listing->records.push_back(record);
    }
    std::uint64_t total = got;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;)
        total += n;
    const std::uint64_t payloadStart = PayloadOffset(directory->nCount);
    if (listing->directoryComplete && total > payloadStart)
        listing->payloadBytes = total - payloadStart;
    return true;
}

}  // namespace zr
