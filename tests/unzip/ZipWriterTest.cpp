// The fixture writer against Info-ZIP unzip, the peer that reads everything: what the writer
// produces must be what it claims to be, or every test built on it proves nothing.
#include "platform/rtl/SysUtils.h"
#include "tests/common/HostTools.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"

#include <gtest/gtest.h>

using namespace ZipFixture;

namespace {

std::string Unzip(const std::string& args, const AnsiString& archive, int* status = nullptr,
                  const std::string& member = "") {
    std::string out;
    const int rc = RunHost("unzip " + args + " " + ShellQuote(HostPath(archive)) + " " + member, &out);
    if (status) *status = rc;
    return out;
}

}  // namespace

TEST(ZipWriter, InfoZipAcceptsStoredEncryptedAndDescriptorEntries) {
    if (!HostToolAvailable("unzip")) GTEST_SKIP() << "Info-ZIP unzip is not installed";
    TScratchDir dir;
    TFixtureArchive zip;
    zip.Comment = "archive comment";
    zip.Entries.push_back({.Name = "docs/", .ExternalAttr = 0x10});
    zip.Entries.push_back({.Name = "docs/a.txt", .Data = "hello, world\n", .Comment = "first"});
    zip.Entries.push_back({.Name = "b.bin", .Data = std::string(40000, 'b'), .Password = "secret"});
    zip.Entries.push_back(
        {.Name = "c.txt", .Data = "descriptor", .Password = "secret", .Descriptor = dsSigned, .LocalSizesZero = true});
    zip.Entries.push_back({.Name = "d.txt", .Data = "plain descriptor", .Descriptor = dsUnsigned});
    const AnsiString path = dir / "t.zip";
    WriteFileBytes(path, BuildZip(zip).Bytes);

    int rc = 0;
    const std::string out = Unzip("-t -P secret", path, &rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("No errors detected"), std::string::npos) << out;
    EXPECT_NE(Unzip("-z", path).find("archive comment"), std::string::npos);
    EXPECT_TRUE(Unzip("-p -P secret", path, nullptr, "b.bin") == std::string(40000, 'b'));
}

TEST(ZipWriter, WrongCheckByteAndWrongCrcAreWhatInfoZipSees) {
    if (!HostToolAvailable("unzip")) GTEST_SKIP() << "Info-ZIP unzip is not installed";
    TScratchDir dir;
    TFixtureArchive zip;
    zip.Entries.push_back({.Name = "bad.crc", .Data = "data", .Crc = 0x12345678});
    const AnsiString path = dir / "crc.zip";
    WriteFileBytes(path, BuildZip(zip).Bytes);
    int rc = 0;
    const std::string out = Unzip("-t", path, &rc);
    EXPECT_NE(rc, 0);
    EXPECT_NE(out.find("bad CRC"), std::string::npos) << out;

    TFixtureArchive enc;
    enc.Entries.push_back({.Name = "e.txt", .Data = "data", .Password = "right"});
    const AnsiString encPath = dir / "enc.zip";
    WriteFileBytes(encPath, BuildZip(enc).Bytes);
    EXPECT_NE(Unzip("-t -P wrong", encPath).find("incorrect password"), std::string::npos);
}

TEST(ZipWriter, StubOffsetsAndLayout) {
    TFixtureArchive zip;
    zip.Stub = std::string(100, 'S');
    zip.Entries.push_back({.Name = "a", .Data = "xyz"});
    TFixtureLayout layout = BuildZip(zip);
    EXPECT_EQ(layout.LocalOffsets[0], 100u);
    EXPECT_EQ(layout.DataOffsets[0], 100u + LocalHeaderSize + 1);
    EXPECT_EQ(layout.CentralStart, layout.DataOffsets[0] + 3);
    EXPECT_EQ(layout.EndRecordPos, layout.CentralStart + CentralHeaderSize + 1);
    EXPECT_EQ(layout.Bytes.size(), layout.EndRecordPos + EndRecordSize);
    // Offsets as the central header and end record state them.
    auto le32 = [&](size_t at) {
        const auto* b = reinterpret_cast<const unsigned char*>(layout.Bytes.data() + at);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    };
    EXPECT_EQ(le32(layout.CentralStart + 42), 100u);
    EXPECT_EQ(le32(layout.EndRecordPos + 16), layout.CentralStart);
    zip.StubInOffsets = false;
    layout = BuildZip(zip);
    EXPECT_EQ(le32(layout.CentralStart + 42), 0u);
    EXPECT_EQ(le32(layout.EndRecordPos + 16), layout.CentralStart - 100);
}

TEST(ZipWriter, SplitSetNumbersVolumesAndOffsets) {
    TFixtureArchive zip;
    zip.SpanSignature = true;
    zip.Entries.push_back({.Name = "one", .Data = std::string(100, '1')});
    zip.Entries.push_back({.Name = "two", .Data = std::string(100, '2')});
    const TFixtureLayout whole = BuildZip(zip);
    // Cut inside the first entry's data and just before the central directory.
    const std::vector<std::string> volumes = BuildSplitZip(zip, {80, whole.CentralStart});
    ASSERT_EQ(volumes.size(), 3u);
    EXPECT_EQ(volumes[0].size(), 80u);
    const std::string& last = volumes[2];
    auto le16 = [&](size_t at) { return unsigned(uint8_t(last[at])) | unsigned(uint8_t(last[at + 1])) << 8; };
    auto le32 = [&](size_t at) { return le16(at) | le16(at + 2) << 16; };
    const size_t end = last.size() - EndRecordSize;
    EXPECT_EQ(le16(end + 4), 2u);   // this disk
    EXPECT_EQ(le16(end + 6), 2u);   // central directory's disk
    EXPECT_EQ(le32(end + 16), 0u);  // at the start of the last volume
    EXPECT_EQ(le16(0 + 34), 0u);    // "one" starts on volume 0 at offset 4
    EXPECT_EQ(le32(0 + 42), 4u);
    const size_t second = CentralHeaderSize + 3;
    EXPECT_EQ(le16(second + 34), 1u);  // "two" on volume 1
    EXPECT_EQ(le32(second + 42), whole.LocalOffsets[1] - 80);
}
