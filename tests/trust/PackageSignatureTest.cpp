// The installer's check of a package's signature block, in the build this test program links: the
// unit tests carry no keys, the keyed tests the two test keys. Every test package of the shared table
// is installed into a real installation folder; a refused one must leave every file as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "installer/PackageInstall.h"
#include "trust/Crypto.h"
#include "trust/PackageSignature.h"
#include "tests/support/FolderWatch.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SignatureCases.h"
#include "tools/vupcab/PackageSigning.h"

namespace {

using namespace zr::test;
using Snapshot = std::map<std::string, std::string>;

bool BuiltWithKeys() {
    return zr::CompiledPackageKeys().nCount > 0;
}

// A working folder holding `package` as vupcab and an installation with old files, for one install.
class Installation {
  public:
    explicit Installation(const std::string& package) {
        m_work = m_root / "work\\";
        m_install = m_root / "ZR5048 Emulation Software\\";
        m_ok = ::CreateDirectoryA(m_work.c_str(), nullptr) && ::CreateDirectoryA(m_install.c_str(), nullptr) &&
               WriteFileBytes(m_install + "EXCEL\\Report.xls", "old report") &&
               WriteFileBytes(m_install + "ReadMe.txt", "old readme") && WriteFileBytes(m_work + "vupcab", package);
    }
    bool Ok() const { return m_ok; }
    zr::E_INSTALL_OUTCOME Install() const {
        char previous[MAX_PATH] = {};
        ::GetCurrentDirectoryA(sizeof previous, previous);
        ::SetCurrentDirectoryA(m_work.c_str());
        const zr::E_INSTALL_OUTCOME outcome =
            zr::InstallPackage(zr::PACKAGE_FILE_NAME, m_install.c_str(), nullptr, nullptr);
        ::SetCurrentDirectoryA(previous);
        return outcome;
    }
    Snapshot Everything() const { return SnapshotFolder(m_root.Path()); }
    Snapshot Installed() const { return SnapshotFolder(m_install); }
    const std::string& InstallFolder() const { return m_install; }
    std::string PackagePath() const { return m_work + "vupcab"; }

  private:
    ScratchFolder m_root;
    std::string m_work;
    std::string m_install;
    bool m_ok = false;
};

std::vector<zr::PublicKey> CompiledKeys() {
    const zr::PACKAGE_KEYS keys = zr::CompiledPackageKeys();
    return std::vector<zr::PublicKey>(keys.keys, keys.keys + keys.nCount);
}

::testing::AssertionResult InstallsAsExpected(const SignatureCase& c) {
    Installation world(c.bytes);
    if (!world.Ok())
        return ::testing::AssertionFailure() << "cannot set up the folders";
    const zr::E_INSTALL_OUTCOME expected = BuiltWithKeys() ? c.withKeys : c.withoutKeys;
    const Snapshot before = world.Everything();
    const zr::E_INSTALL_OUTCOME outcome = world.Install();
    if (outcome != expected)
        return ::testing::AssertionFailure() << "outcome " << outcome << ", expected " << expected;
    if (outcome != zr::INSTALL_DONE && world.Everything() != before)
        return ::testing::AssertionFailure() << "refused, yet files changed";
    // mkvupcab verify, given the keys this build carries, says the same.
    zr::PackageVerification verification;
    std::string error;
    if (!zr::VerifyPackageFile(world.PackagePath(), CompiledKeys(), &verification, &error))
        return ::testing::AssertionFailure() << error;
    if (verification.accepted != (outcome != zr::INSTALL_PACKAGE_UNTRUSTED))
        return ::testing::AssertionFailure() << "mkvupcab verify disagrees: accepted " << verification.accepted;
    return ::testing::AssertionSuccess();
}

TEST(PackageSignature, EveryTestPackageHasItsOutcomeInThisBuild) {
    for (const SignatureCase& c : SignatureCases()) {
        SCOPED_TRACE(testing::Message() << c.name << (BuiltWithKeys() ? ", built with keys" : ", built without"));
        EXPECT_TRUE(InstallsAsExpected(c));
    }
}

TEST(PackageSignature, SignedPackageInstallsTheFilesOfItsUnsignedTwin) {
    if (BuiltWithKeys())
        GTEST_SKIP() << "a build with keys refuses the unsigned twin";
    const std::string plain = SamplePackage("1.05", 1, SignatureCaseEntries());
    Installation unsignedWorld(plain), signedWorld(SignedWith(plain, TestKey::OTHER));
    ASSERT_TRUE(unsignedWorld.Ok() && signedWorld.Ok());
    ASSERT_EQ(unsignedWorld.Install(), zr::INSTALL_DONE);
    ASSERT_EQ(signedWorld.Install(), zr::INSTALL_DONE);
    EXPECT_EQ(signedWorld.Installed(), unsignedWorld.Installed());
    EXPECT_EQ(signedWorld.Installed().at("ReadMe.txt"), "new readme");
}

TEST(PackageSignature, APackageSignedNativelyInstalls) {
    Installation world(ReadFileBytes(std::string(ZR_SIGNING_FIXTURES) + "/native-signed.vupcab"));
    ASSERT_TRUE(world.Ok());
    EXPECT_EQ(world.Install(), zr::INSTALL_DONE);
}

TEST(PackageSignature, ADigestThatFailsOnceEveryPayloadIsStagedRenamesNothingInstalled) {
    // The payload's bytes are hashed as they are staged, so this package is known damaged only after
    // every file was written; the installation must never have been touched but for the staged files.
    const std::vector<SignatureCase> cases = SignatureCases();
    const auto damaged = std::find_if(cases.begin(), cases.end(), [](const SignatureCase& c) {
        return std::string(c.name) == "payload bit flipped";
    });
    ASSERT_NE(damaged, cases.end());
    Installation world(damaged->bytes);
    ASSERT_TRUE(world.Ok());
    const Snapshot before = world.Everything();
    zr::test::FolderWatch watch(world.InstallFolder());
    ASSERT_TRUE(watch.Watching());
    EXPECT_EQ(world.Install(), zr::INSTALL_PACKAGE_UNTRUSTED);
    bool staged = false;
    for (const std::string& change : watch.Changes()) {
        SCOPED_TRACE(change);
        const bool ours = change.find("zr~") != std::string::npos;
        staged |= ours && change.compare(0, 6, "added ") == 0 && change.find("recovery") == std::string::npos;
        EXPECT_EQ(change.find("renamed"), std::string::npos);
        EXPECT_TRUE(ours) << "only the installer's own files may change";
    }
    EXPECT_TRUE(staged) << "the payloads were to be staged before the verdict";
    EXPECT_EQ(world.Everything(), before);
}

// Reads of a package in memory, recorded, failing at and after `failFrom`.
struct RecordingReader {
    std::string bytes;
    std::uint64_t failFrom = ~std::uint64_t{0};
    std::vector<std::uint64_t> offsets;
    zr::PackageReadAt Reader() {
        return [this](std::uint64_t offset, void* buffer, std::size_t size) {
            offsets.push_back(offset);
            if (offset + size > failFrom || offset + size > bytes.size())
                return false;
            std::memcpy(buffer, bytes.data() + offset, size);
            return true;
        };
    }
};

TEST(PackageSignature, ReadsOnlyWhatItNeedsAndReportsReadErrors) {
    const zr::PACKAGE_KEYS none = {nullptr, 0};
    const zr::PACKAGE_KEYS keys = zr::CompiledPackageKeys();
    const std::string plain = SamplePackage();
    struct Case {
        int line;
        std::string bytes;
        std::uint64_t failFrom;
        zr::PACKAGE_KEYS keys;
        zr::E_SIGNATURE_STATE expected;
        std::size_t reads;  // 0: any number
    };
    const std::string signedFirst = SignedWith(plain, TestKey::FIRST);
    const Case CASES[] = {
        // Without a block only the place of one is read.
        {__LINE__, plain + std::string(200, 'x'), ~0ull, none, zr::SIGNATURE_NO_BLOCK, 1},
        {__LINE__, plain, ~0ull, none, zr::SIGNATURE_NO_BLOCK, 0},
        {__LINE__, signedFirst, ~0ull, none, zr::SIGNATURE_DIGEST_OK, 0},
        {__LINE__, signedFirst, 10, none, zr::SIGNATURE_READ_ERROR, 0},
        {__LINE__, signedFirst, signedFirst.size() - 1, none, zr::SIGNATURE_READ_ERROR, 1},
        // A digest-only block cannot pass a build with keys, so it is not hashed there.
        {__LINE__, WithBlock(plain, nullptr), ~0ull, {keys.keys, 1}, zr::SIGNATURE_DIGEST_OK, 1},
    };
    for (const Case& c : CASES) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        if (c.keys.nCount > 0 && !BuiltWithKeys())
            continue;
        RecordingReader reader{c.bytes, c.failFrom, {}};
        const zr::SIGNATURE_CHECK check = zr::CheckPackageSignature(reader.Reader(), c.bytes.size(), c.keys);
        EXPECT_EQ(check.state, c.expected);
        if (c.reads) {
            EXPECT_EQ(reader.offsets.size(), c.reads);
        }
    }
}

TEST(PackageSignature, APackageOfManyPiecesIsHashedInTheOrderItIsRead) {
    // Payloads of several copy buffers each, of odd sizes, so that the pieces handed to the hash wrap
    // around its buffers many times; one bit flipped in the last piece must still be seen.
    std::vector<SampleEntry> entries;
    for (unsigned i = 0; i < 3; ++i) {
        std::string contents(700 * 1024 + 13 * i, '\0');
        for (std::size_t b = 0; b < contents.size(); ++b)
            contents[b] = static_cast<char>((b * 31 + i) >> 3);
        entries.push_back({i == 0 ? "EXCEL\\Report.xls" : i == 1 ? "ReadMe.txt" : "Big.bin", contents});
    }
    const std::string whole = SignedWith(SamplePackage("1.05", 1, entries), TestKey::FIRST);
    for (const bool flipped : {false, true}) {
        SCOPED_TRACE(flipped ? "a bit flipped in the last piece" : "as signed");
        Installation world(flipped ? FlipBit(whole, -static_cast<long long>(zr::SIGNATURE_BLOCK_SIZE) - 5) : whole);
        ASSERT_TRUE(world.Ok());
        const Snapshot before = world.Installed();
        EXPECT_EQ(world.Install(), flipped ? zr::INSTALL_PACKAGE_UNTRUSTED : zr::INSTALL_DONE);
        if (flipped) {
            EXPECT_EQ(world.Installed(), before);
        } else {
            EXPECT_EQ(world.Installed().at("Big.bin"), entries[2].payload);
        }
    }
}

TEST(PackageSignature, TheJudgeTakesEveryByteBeforeTheBlockExactlyOnce) {
    const std::string signedFirst = SignedWith(SamplePackage(), TestKey::FIRST);
    const std::uint64_t length = signedFirst.size() - zr::SIGNATURE_BLOCK_SIZE;
    const zr::PACKAGE_KEYS none = {nullptr, 0};
    struct Case {
        int line;
        std::uint64_t hashed;  // bytes given to the judge, in pieces of 7
        zr::E_SIGNATURE_STATE expected;
    };
    const Case CASES[] = {
        {__LINE__, length, zr::SIGNATURE_DIGEST_OK},
        {__LINE__, length - 1, zr::SIGNATURE_DAMAGED},
        {__LINE__, length + 1, zr::SIGNATURE_DAMAGED},
        {__LINE__, 0, zr::SIGNATURE_DAMAGED},
    };
    for (const Case& c : CASES) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        RecordingReader reader{signedFirst, ~std::uint64_t{0}, {}};
        zr::CSignatureJudge judge(reader.Reader(), signedFirst.size(), none);
        ASSERT_EQ(judge.BytesToHash(), length);
        EXPECT_EQ(reader.offsets.size(), 1u) << "the block alone is read";
        const std::string given = signedFirst + "x";
        for (std::uint64_t at = 0; at < c.hashed; at += 7)
            judge.Hash(given.data() + at, static_cast<std::size_t>(std::min<std::uint64_t>(7, c.hashed - at)));
        EXPECT_EQ(judge.Verdict().state, c.expected);
    }
}

TEST(PackageSignature, WindowsCryptographySignsAndVerifies) {
    zr::KeyPair pair = {};
    ASSERT_TRUE(zr::GenerateKeyPair(&pair));
    zr::Digest digest = DigestOf("package bytes");
    zr::SignatureValue signature = {};
    ASSERT_TRUE(zr::SignDigest(pair, digest, &signature));
    const zr::PublicKey key = zr::PublicPart(pair);
    EXPECT_TRUE(zr::VerifyDigest(key, digest, signature));
    EXPECT_NE(zr::KeyIdOf(key), zr::KeyId{});
    digest[0] ^= 1;
    EXPECT_FALSE(zr::VerifyDigest(key, digest, signature));
    // A key that is no point of the curve is refused, not trusted.
    zr::PublicKey offCurve = key;
    offCurve[63] ^= 1;
    digest[0] ^= 1;
    EXPECT_FALSE(zr::VerifyDigest(offCurve, digest, signature));
}

}  // namespace
