// The package tool's signing and verification: key files, a block appended or replaced, and a
// verification that judges every test package as the tool does. Built natively (OpenSSL) and for
// Windows (bcrypt.dll); each checks a package the other build signed.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/SignatureCases.h"
#include "tests/support/SignedPackages.h"
#include "tools/vupcab/PackageSigning.h"

namespace {

using namespace zr;
using namespace zr::test;

// A file for one test, removed afterwards.
class TempFile {
  public:
    explicit TempFile(const std::string& name) : m_path(std::string(ZR_TEST_SCRATCH) + "/" + name) {}
    ~TempFile() { std::remove(m_path.c_str()); }
    const std::string& Path() const { return m_path; }
    bool Write(const std::string& bytes) const {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out);
    }
    std::string Read() const {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::string m_path;
};

std::vector<PublicKey> TrustedTestKeys() {
    return {PublicPart(LoadTestKey(TestKey::FIRST)), PublicPart(LoadTestKey(TestKey::SECOND))};
}

::testing::AssertionResult Accepted(const std::string& path, const std::vector<PublicKey>& keys, bool expected) {
    PackageVerification result;
    std::string error;
    if (!VerifyPackageFile(path, keys, &result, &error))
        return ::testing::AssertionFailure() << error;
    if (result.accepted != expected)
        return ::testing::AssertionFailure() << "accepted is " << result.accepted << ", state " << result.check.state;
    return ::testing::AssertionSuccess();
}

TEST(KeyText, HexadecimalRoundTripsAndRefusesOtherText) {
    const unsigned char bytes[] = {0x00, 0x7f, 0x80, 0xff};
    EXPECT_EQ(ToHex(bytes, 4), "007f80ff");
    struct Case {
        int line;
        const char* text;
        bool ok;
    };
    const Case CASES[] = {
        {__LINE__, "007f80ff", true},    {__LINE__, "00 7F 80 FF\n", true}, {__LINE__, "007f80f", false},
        {__LINE__, "007f80ff00", false}, {__LINE__, "007g80ff", false},     {__LINE__, "", false},
        {__LINE__, "0x7f80ff", false},
    };
    for (const Case& c : CASES) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        unsigned char out[4] = {};
        EXPECT_EQ(FromHex(c.text, out, 4), c.ok);
        if (c.ok) {
            EXPECT_EQ(ToHex(out, 4), "007f80ff");
        }
    }
}

TEST(KeyFiles, AFreshPairSignsWhatItsPublicFileVerifies) {
    KeyPair pair = {};
    ASSERT_TRUE(GenerateKeyPair(&pair));
    TempFile privateFile("zr-fresh.key"), publicFile("zr-fresh.pub");
    std::string error;
    ASSERT_TRUE(WriteKeyFiles(pair, privateFile.Path(), publicFile.Path(), &error)) << error;
    KeyPair readPair = {};
    PublicKey readKey = {};
    ASSERT_TRUE(ReadPrivateKeyFile(privateFile.Path(), &readPair, &error)) << error;
    ASSERT_TRUE(ReadPublicKeyFile(publicFile.Path(), &readKey, &error)) << error;
    EXPECT_EQ(readPair, pair);
    EXPECT_EQ(readKey, PublicPart(pair));

    Digest digest = DigestOf("package bytes");
    SignatureValue signature = {};
    ASSERT_TRUE(SignDigest(readPair, digest, &signature));
    EXPECT_TRUE(VerifyDigest(readKey, digest, signature));
    EXPECT_FALSE(VerifyDigest(PublicPart(LoadTestKey(TestKey::OTHER)), digest, signature));
    digest[31] ^= 1;
    EXPECT_FALSE(VerifyDigest(readKey, digest, signature));
}

TEST(KeyFiles, AnUnreadablePrivateKeyIsNeverShown) {
    TempFile file("zr-bad.key");
    ASSERT_TRUE(file.Write("secret-words-of-the-maker"));
    KeyPair pair = {};
    std::string error;
    EXPECT_FALSE(ReadPrivateKeyFile(file.Path(), &pair, &error));
    EXPECT_EQ(error.find("secret"), std::string::npos) << error;
}

TEST(SignPackage, AppendsOneBlockAndReplacesItWhenSignedAgain) {
    const std::string plain = SamplePackage();
    TempFile file("zr-sign.vupcab");
    ASSERT_TRUE(file.Write(WithBlock(plain, nullptr)));
    const std::vector<PublicKey> keys = TrustedTestKeys();
    EXPECT_TRUE(Accepted(file.Path(), keys, false));

    std::string error;
    const KeyPair other = LoadTestKey(TestKey::OTHER);
    ASSERT_TRUE(SignPackageFile(file.Path(), other, &error)) << error;
    EXPECT_TRUE(Accepted(file.Path(), keys, false));
    const KeyPair second = LoadTestKey(TestKey::SECOND);
    ASSERT_TRUE(SignPackageFile(file.Path(), second, &error)) << error;
    EXPECT_TRUE(Accepted(file.Path(), keys, true));
    const std::string bytes = file.Read();
    ASSERT_EQ(bytes.size(), plain.size() + SIGNATURE_BLOCK_SIZE);
    EXPECT_EQ(bytes.substr(0, plain.size()), plain);
}

TEST(SignPackage, RefusesAPrivateKeyWhoseHalvesDoNotBelongTogether) {
    KeyPair mixed = LoadTestKey(TestKey::FIRST);
    const KeyPair other = LoadTestKey(TestKey::OTHER);
    std::copy(other.begin() + PUBLIC_KEY_SIZE, other.end(), mixed.begin() + PUBLIC_KEY_SIZE);
    TempFile file("zr-mixed.vupcab");
    ASSERT_TRUE(file.Write(SamplePackage()));
    std::string error;
    EXPECT_FALSE(SignPackageFile(file.Path(), mixed, &error));
    EXPECT_EQ(file.Read(), SamplePackage());
}

// mkvupcab verify says of every test package what a tool of either build does.
TEST(VerifyPackage, AgreesWithTheToolOnEveryTestPackage) {
    const std::vector<PublicKey> keys = TrustedTestKeys();
    for (const SignatureCase& c : SignatureCases()) {
        SCOPED_TRACE(c.name);
        TempFile file("zr-case.vupcab");
        ASSERT_TRUE(file.Write(c.bytes));
        EXPECT_TRUE(Accepted(file.Path(), {}, c.withoutKeys != INSTALL_PACKAGE_UNTRUSTED));
        EXPECT_TRUE(Accepted(file.Path(), keys, c.withKeys != INSTALL_PACKAGE_UNTRUSTED));
    }
}

// Signed by the other platform's package tool (tests/fixtures/signing: natively with the first test
// key, on Windows with the second).
TEST(VerifyPackage, AcceptsWhatTheOtherBuildSigned) {
    const std::string path =
        std::string(ZR_SIGNING_FIXTURES) + (ZR_NATIVE_BUILD ? "/windows-signed.vupcab" : "/native-signed.vupcab");
    EXPECT_TRUE(Accepted(path, TrustedTestKeys(), true));
    EXPECT_TRUE(Accepted(path, {PublicPart(LoadTestKey(TestKey::OTHER))}, false));
}

}  // namespace
