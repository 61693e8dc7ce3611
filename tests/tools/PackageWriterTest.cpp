// The package writer: the exact layout it produces and the layouts it refuses.
#include <gtest/gtest.h>

#include <cstdio>

#include "framework/ScopedHandle.h"
#include "tools/vupcab/PackageWriter.h"

namespace {

bool WriteBytes(const char* path, const std::string& bytes) {
    zr::ScopedFile out(std::fopen(path, "wb"));
    return out && std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size() &&
           std::fclose(out.release()) == 0;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char digits[4];
    for (unsigned char b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", b);
        out += digits;
    }
    return out;
}

zr::PackageContents WorkedExample() {
    zr::PackageContents contents;
    contents.version = "1.05";
    contents.language = 1;
    contents.entries.push_back({"EXCEL\\Report.xls", "", "abc"});
    return contents;
}

TEST(PackageWriter, WritesTheWorkedExampleByteForByte) {
    const std::string expected = std::string("1.05\0\0\0\0\0\0", 10) + "\x01\x01" + "EXCEL\\Report.xls" +
                                 std::string(16, '\0') + std::string("\0\0\0\x03", 4) + "abc";
    const std::string bytes = zr::BuildPackageBytes(WorkedExample());
    EXPECT_EQ(bytes.size(), 51u);
    EXPECT_EQ(Hex(bytes), Hex(expected));
}

TEST(PackageWriter, PayloadSizesAreBigEndianAndPayloadsBackToBack) {
    zr::PackageContents contents;
    contents.version = "2.00";
    contents.entries.push_back({"a", "", std::string(0x0102, 'x')});
    contents.entries.push_back({"b", "", ""});
    contents.entries.push_back({"c", "", "yz"});
    const std::string bytes = zr::BuildPackageBytes(contents);
    ASSERT_EQ(bytes.size(), 12u + 3 * 36 + 0x0102 + 2);
    EXPECT_EQ(Hex(bytes.substr(12 + 32, 4)), "00 00 01 02 ");
    EXPECT_EQ(Hex(bytes.substr(12 + 36 + 32, 4)), "00 00 00 00 ");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "yz");
}

TEST(PackageWriter, RefusesWhatTheLayoutCannotCarry) {
    const struct {
        const char* what;
        void (*change)(zr::PackageContents&);
    } cases[] = {
        {"version over 10 characters", [](zr::PackageContents& c) { c.version = "12345678901"; }},
        {"Language code over 15", [](zr::PackageContents& c) { c.language = 16; }},
        {"negative Language code", [](zr::PackageContents& c) { c.language = -1; }},
        {"256 entries",
         [](zr::PackageContents& c) {
             c.entries.assign(256, {"a", "", ""});
         }},
        {"entry name of 32 characters", [](zr::PackageContents& c) { c.entries[0].name = std::string(32, 'n'); }},
        {"empty entry name", [](zr::PackageContents& c) { c.entries[0].name.clear(); }},
        {"missing source file", [](zr::PackageContents& c) { c.entries[0].sourcePath = "no-such-file"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zr::PackageContents contents = WorkedExample();
        c.change(contents);
        EXPECT_NE(zr::CheckPackageContents(contents), "");
        std::string error;
        EXPECT_FALSE(zr::WritePackage(contents, "refused-package", &error));
        EXPECT_NE(error, "");
        EXPECT_FALSE(zr::ScopedFile(std::fopen("refused-package", "rb")));
    }
}

TEST(PackageWriter, AcceptsTheLimitsOfTheLayout) {
    zr::PackageContents contents;
    contents.version = "1234567890";
    contents.language = 15;
    contents.entries.assign(255, {std::string(31, 'n'), "", ""});
    EXPECT_EQ(zr::CheckPackageContents(contents), "");
    EXPECT_EQ(zr::BuildPackageBytes(contents).size(), 12u + 255 * 36);
}

TEST(PackageWriter, StreamsSourceFilesAndListsThePackage) {
    const char* source = "writer-source.bin";
    std::string payload(200000, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(WriteBytes(source, payload));

    zr::PackageContents contents = WorkedExample();
    contents.entries.push_back({"Images\\Big.bmp", source, ""});
    std::string error;
    ASSERT_TRUE(zr::WritePackage(contents, "streamed-package", &error)) << error;

    zr::PackageListing listing;
    ASSERT_TRUE(zr::ReadPackageListing("streamed-package", &listing, &error)) << error;
    EXPECT_EQ(listing.version, "1.05");
    EXPECT_EQ(listing.languageByte, 1u);
    ASSERT_EQ(listing.records.size(), 2u);
    EXPECT_EQ(listing.records[1].name, "Images\\Big.bmp");
    EXPECT_EQ(listing.records[1].size, payload.size());
    EXPECT_TRUE(listing.directoryComplete);
    EXPECT_EQ(listing.payloadBytes, 3 + payload.size());
    std::remove(source);
    std::remove("streamed-package");
}

TEST(PackageWriter, ListingReportsADirectoryCutShort) {
    std::string bytes = zr::BuildPackageBytes(WorkedExample());
    bytes[11] = 3;  // three entries declared, one present
    ASSERT_TRUE(WriteBytes("short-package", bytes));

    zr::PackageListing listing;
    std::string error;
    ASSERT_TRUE(zr::ReadPackageListing("short-package", &listing, &error));
    EXPECT_EQ(listing.entryCount, 3u);
    EXPECT_EQ(listing.records.size(), 1u);
    EXPECT_FALSE(listing.directoryComplete);
    std::remove("short-package");
}

}  // namespace
