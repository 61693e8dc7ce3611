#include "tools/vupcab/PackageSigning.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "framework/ScopedHandle.h"
#include "trust/Crypto.h"
#include "format/PackageDirectory.h"

namespace zr {

namespace {

constexpr std::size_t READ_PIECE = 1 << 20;

bool ReadText(const std::string& path, std::string* text) {
    ScopedFile in(std::fopen(path.c_str(), "rb"));
    if (!in)
        return false;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;) {
        text->append(buffer, n);
        if (text->size() > 4096)
            return false;
    }
    return !std::ferror(in.get());
}

bool WriteText(const std::string& path, const std::string& text) {
    ScopedFile out(std::fopen(path.c_str(), "wb"));
    if (!out)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out.get()) == text.size();
    return (std::fclose(out.release()) == 0) && written;
}

// Positions at a 64-bit offset, so packages over 2 GiB work on both platforms.
bool SeekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool FileSize(const std::string& path, std::uint64_t* size) {
    std::error_code failure;
    *size = std::filesystem::file_size(path, failure);
    return !failure;
}

// SHA-256 of the file's first `length` bytes, read from the start.
bool HashPrefix(std::FILE* file, std::uint64_t length, Digest* digest) {
    std::rewind(file);
    CSha256 hash;
    std::vector<unsigned char> buffer(READ_PIECE);
    for (std::uint64_t done = 0; done < length;) {
        const std::size_t piece = length - done < READ_PIECE ? static_cast<std::size_t>(length - done) : READ_PIECE;
        if (std::fread(buffer.data(), 1, piece, file) != piece || !hash.Add(buffer.data(), piece))
            return false;
        done += piece;
    }
    return hash.Finish(digest);
}

// Whether the payloads of an open package of `size` bytes, which carries a block, end where the block
// begins, as the tool requires; false when the directory cannot be read.
bool PayloadsEndAtBlock(std::FILE* file, std::uint64_t size, bool* ends) {
    const std::size_t headSize = size < MAX_DIRECTORY_END ? static_cast<std::size_t>(size) : MAX_DIRECTORY_END;
    std::vector<unsigned char> head(headSize);
    auto directory = std::make_unique<PACKAGE_DIRECTORY>();
    std::rewind(file);
    if (std::fread(head.data(), 1, headSize, file) != headSize)
        return false;
    DecodePackageDirectory(head.data(), headSize, directory.get());
    *ends = PayloadsEndAt(*directory, size - SIGNATURE_BLOCK_SIZE);
    return true;
}

// The block form at the end of an open package of `size` bytes; false when it cannot be read.
bool ReadBlock(std::FILE* file, std::uint64_t size, E_BLOCK_FORM* form, SIGNATURE_BLOCK* block) {
    *form = BLOCK_ABSENT;
    if (size < SIGNATURE_BLOCK_SIZE)
        return true;
    unsigned char bytes[SIGNATURE_BLOCK_SIZE];
    if (!SeekTo(file, size - SIGNATURE_BLOCK_SIZE))
        return false;
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes)
        return false;
    *form = DecodeSignatureBlock(bytes, block);
    return true;
}

}  // namespace

PublicKey PublicPart(const KeyPair& pair) {
    PublicKey key;
    std::memcpy(key.data(), pair.data(), key.size());
    return key;
}

std::string ToHex(const unsigned char* bytes, std::size_t size) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += DIGITS[bytes[i] >> 4];
        text += DIGITS[bytes[i] & 0x0F];
    }
    return text;
}

bool FromHex(const std::string& text, unsigned char* bytes, std::size_t size) {
    std::size_t digits = 0;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)) || digits >= 2 * size)
            return false;
        const int value = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        if (digits % 2 == 0)
            bytes[digits / 2] = static_cast<unsigned char>(value << 4);
        else
            bytes[digits / 2] |= static_cast<unsigned char>(value);
        ++digits;
    }
    return digits == 2 * size;
}

bool ReadPublicKeyFile(const std::string& path, PublicKey* key, std::string* error) {
    std::string text;
    if (!ReadText(path, &text) || !FromHex(text, key->data(), key->size())) {
        *error = "\"" + path + "\" is not a public key file (128 hexadecimal digits)";
        return false;
    }
    return true;
}

bool ReadPrivateKeyFile(const std::string& path, KeyPair* pair, std::string* error) {
    std::string text;
    const bool read = ReadText(path, &text) && FromHex(text, pair->data(), pair->size());
    std::fill(text.begin(), text.end(), '\0');
    if (!read) {
        // Never the contents: they are a private key, or something the user did not mean to show.
        *error = "\"" + path + "\" is not a private key file (192 hexadecimal digits)";
        return false;
    }
    return true;
}

bool WriteKeyFiles(const KeyPair& pair,
                   const std::string& privatePath,
                   const std::string& publicPath,
                   std::string* error) {
    std::string privateText = ToHex(pair.data(), pair.size()) + "\n";
    bool written = WriteText(privatePath, privateText);
    std::fill(privateText.begin(), privateText.end(), '\0');
    if (written) {
        std::error_code ignored;
        std::filesystem::permissions(privatePath,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::replace, ignored);
    }
    if (!written) {
        *error = "cannot write \"" + privatePath + "\"";
        return false;
    }
    if (!WriteText(publicPath, ToHex(pair.data(), PUBLIC_KEY_SIZE) + "\n")) {
        *error = "cannot write \"" + publicPath + "\"";
        return false;
    }
    return true;
}

bool SignPackageFile(const std::string& path, const KeyPair& pair, std::string* error) {
    std::uint64_t contentSize = 0;
    SIGNATURE_BLOCK block = {};
    {
        ScopedFile in(std::fopen(path.c_str(), "rb"));
        if (!in) {
            *error = "cannot open \"" + path + "\"";
            return false;
        }
        std::uint64_t size = 0;
        E_BLOCK_FORM form = BLOCK_ABSENT;
        if (!FileSize(path, &size) || !ReadBlock(in.get(), size, &form, &block)) {
            *error = "cannot read \"" + path + "\"";
            return false;
        }
        // A block of any form, even one this tool cannot judge, is replaced rather than signed over.
        contentSize = form == BLOCK_ABSENT ? size : size - SIGNATURE_BLOCK_SIZE;
        if (!HashPrefix(in.get(), contentSize, &block.digest)) {
            *error = "cannot read \"" + path + "\"";
            return false;
        }
    }
    const PublicKey key = PublicPart(pair);
    block.keyId = KeyIdOf(key);
    // A private key file whose halves do not belong together would sign what nobody can verify.
    if (!SignDigest(pair, block.digest, &block.signature) || !VerifyDigest(key, block.digest, block.signature)) {
        *error = "the private key cannot sign (its public part does not match, or the system refuses it)";
        return false;
    }
    unsigned char bytes[SIGNATURE_BLOCK_SIZE];
    EncodeSignatureBlock(block, bytes);
    std::error_code failure;
    std::filesystem::resize_file(path, contentSize, failure);
    ScopedFile out(failure ? nullptr : std::fopen(path.c_str(), "ab"));
    const bool written =
        out && std::fwrite(bytes, 1, sizeof bytes, out.get()) == sizeof bytes && std::fclose(out.release()) == 0;
    if (!written)
        *error = "writing \"" + path + "\" failed";
    return written;
}

bool VerifyPackageFile(const std::string& path,
                       const std::vector<PublicKey>& keys,
                       PackageVerification* result,
                       std::string* error) {
    *result = PackageVerification();
    ScopedFile in(std::fopen(path.c_str(), "rb"));
    std::uint64_t size = 0;
    if (!in || !FileSize(path, &size)) {
        *error = "cannot open \"" + path + "\"";
        return false;
    }
    std::FILE* file = in.get();
    const PackageReadAt readAt = [file](std::uint64_t offset, void* buffer, std::size_t bytes) {
        return SeekTo(file, offset) && std::fread(buffer, 1, bytes, file) == bytes;
    };
    result->check = CheckPackageSignature(readAt, size, PACKAGE_KEYS{keys.data(), keys.size()}, &result->finding);
    if (result->check.state == SIGNATURE_READ_ERROR || result->check.state == SIGNATURE_UNAVAILABLE) {
        *error = "cannot read \"" + path + "\"";
        return false;
    }
    if (result->finding.form != BLOCK_ABSENT &&
        (result->check.state == SIGNATURE_DIGEST_OK || result->check.state == SIGNATURE_SIGNED_BY_KEY)) {
        bool ends = false;
        if (!PayloadsEndAtBlock(file, size, &ends)) {
            *error = "cannot read \"" + path + "\"";
            return false;
        }
        if (!ends)
            result->check = SIGNATURE_CHECK{SIGNATURE_DAMAGED, 0};
    }
    result->accepted = SignatureAllowsInstall(result->check, keys.size());
    return true;
}

}  // namespace zr
