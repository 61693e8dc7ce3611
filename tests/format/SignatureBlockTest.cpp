// The signature block's own form and the one policy over what a check found: platform-free.
#include <gtest/gtest.h>

#include <cstring>

#include "format/SignatureBlock.h"

namespace {

using namespace zr;

struct BlockBytes {
    unsigned char bytes[SIGNATURE_BLOCK_SIZE];
};

BlockBytes Encoded(unsigned char keyId, unsigned char signature) {
    SIGNATURE_BLOCK block = {};
    block.keyId.fill(keyId);
    block.digest.fill(0xD1);
    block.signature.fill(signature);
    BlockBytes out;
    EncodeSignatureBlock(block, out.bytes);
    return out;
}

TEST(SignatureBlock, IsJudgedByItsOwnForm) {
    struct Case {
        int line;
        BlockBytes bytes;
        std::size_t patchAt;  // SIGNATURE_BLOCK_SIZE: no patch
        unsigned char patch;
        E_BLOCK_FORM expected;
    };
    const Case CASES[] = {
        {__LINE__, Encoded(0x11, 0x22), SIGNATURE_BLOCK_SIZE, 0, BLOCK_SIGNED},
        {__LINE__, Encoded(0, 0), SIGNATURE_BLOCK_SIZE, 0, BLOCK_DIGEST_ONLY},
        {__LINE__, Encoded(0x11, 0x22), SIGNATURE_MAGIC_OFFSET, 'z', BLOCK_ABSENT},
        {__LINE__, Encoded(0x11, 0x22), SIGNATURE_MAGIC_OFFSET + 7, 0, BLOCK_ABSENT},
        {__LINE__, Encoded(0x11, 0x22), SIGNATURE_FORM_OFFSET + 3, 2, BLOCK_MALFORMED},
        {__LINE__, Encoded(0x11, 0x22), SIGNATURE_FORM_OFFSET, 1, BLOCK_MALFORMED},
        // A key id without a signature, or a signature without a key id, is neither form.
        {__LINE__, Encoded(0x11, 0), SIGNATURE_BLOCK_SIZE, 0, BLOCK_MALFORMED},
        {__LINE__, Encoded(0, 0x22), SIGNATURE_BLOCK_SIZE, 0, BLOCK_MALFORMED},
        {__LINE__, Encoded(0, 0), SIGNATURE_BLOCK_SIZE - 1, 1, BLOCK_MALFORMED},
        {__LINE__, Encoded(0, 0), SIGNATURE_KEY_ID_OFFSET + KEY_ID_SIZE - 1, 1, BLOCK_MALFORMED},
    };
    for (const Case& c : CASES) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        BlockBytes bytes = c.bytes;
        if (c.patchAt < SIGNATURE_BLOCK_SIZE)
            bytes.bytes[c.patchAt] = c.patch;
        SIGNATURE_BLOCK block = {};
        block.digest.fill(0xEE);
        EXPECT_EQ(DecodeSignatureBlock(bytes.bytes, &block), c.expected);
        // The fields only come out of a block that is one of the two forms.
        const bool decoded = c.expected == BLOCK_SIGNED || c.expected == BLOCK_DIGEST_ONLY;
        EXPECT_EQ(block.digest[0], decoded ? 0xD1 : 0xEE);
    }
}

TEST(SignatureBlock, LayoutIsFixed) {
    const BlockBytes bytes = Encoded(0x11, 0x22);
    EXPECT_EQ(SIGNATURE_BLOCK_SIZE, 116u);
    EXPECT_EQ(std::memcmp(bytes.bytes, "ZRVUPSIG\0\0\0\1", 12), 0);
    EXPECT_EQ(bytes.bytes[SIGNATURE_KEY_ID_OFFSET], 0x11);
    EXPECT_EQ(bytes.bytes[SIGNATURE_DIGEST_OFFSET], 0xD1);
    EXPECT_EQ(bytes.bytes[SIGNATURE_VALUE_OFFSET - 1], 0xD1);
    EXPECT_EQ(bytes.bytes[SIGNATURE_VALUE_OFFSET], 0x22);
}

TEST(SignaturePolicy, WithKeysOnlyTheirSignaturePasses) {
    struct Case {
        int line;
        E_SIGNATURE_STATE state;
        unsigned key;
        bool withoutKeys;
        bool withOneKey;
        bool withTwoKeys;
    };
    const Case CASES[] = {
        {__LINE__, SIGNATURE_NO_BLOCK, 0, true, false, false},
        {__LINE__, SIGNATURE_DIGEST_OK, 0, true, false, false},
        {__LINE__, SIGNATURE_SIGNED_BY_KEY, 0, false, true, true},
        {__LINE__, SIGNATURE_SIGNED_BY_KEY, 1, false, false, true},
        {__LINE__, SIGNATURE_DAMAGED, 0, false, false, false},
        {__LINE__, SIGNATURE_NOT_FROM_MAKER, 0, false, false, false},
        {__LINE__, SIGNATURE_READ_ERROR, 0, false, false, false},
        {__LINE__, SIGNATURE_UNAVAILABLE, 0, false, false, false},
    };
    for (const Case& c : CASES) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        const SIGNATURE_CHECK check = {c.state, c.key};
        EXPECT_EQ(SignatureAllowsInstall(check, 0), c.withoutKeys);
        EXPECT_EQ(SignatureAllowsInstall(check, 1), c.withOneKey);
        EXPECT_EQ(SignatureAllowsInstall(check, 2), c.withTwoKeys);
    }
}

TEST(SignaturePolicy, PayloadsEndBeforeTheBlock) {
    EXPECT_EQ(SignedLength(1000, BLOCK_ABSENT), 1000u);
    EXPECT_EQ(SignedLength(1000, BLOCK_SIGNED), 1000u - SIGNATURE_BLOCK_SIZE);
    EXPECT_EQ(SignedLength(1000, BLOCK_DIGEST_ONLY), 1000u - SIGNATURE_BLOCK_SIZE);
    EXPECT_EQ(SignedLength(1000, BLOCK_MALFORMED), 1000u - SIGNATURE_BLOCK_SIZE);
    EXPECT_EQ(SignedLength(SIGNATURE_BLOCK_SIZE, BLOCK_SIGNED), 0u);
}

}  // namespace
