// Deflate entries through the whole extraction: archives of Info-ZIP zip at every level, the
// PKZIP 2.04g conformance archives, an entry that decodes to more than its size and one
// with bad data followed by a good one.
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/HostTools.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"
#include "tests/unzip/decode/DeflateWriter.h"
#include "unzip/UnZipper.h"

#include <gtest/gtest.h>

#include <random>

using ZipFixture::BuildZip;
using ZipFixture::TFixtureArchive;

namespace {

std::string Words(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        const unsigned n = 1 + rng() % 8, w = rng() % 500;
        for (unsigned k = 0; k < n; ++k) s += static_cast<char>('a' + (w * 7 + k * 3) % 26);
        s += rng() % 12 ? ' ' : '\n';
    }
    s.resize(size);
    return s;
}

// A fixed-code stream of the given bytes as literals.
std::string FixedLiterals(const std::string& text, bool badBlockAfter = false) {
    TDeflateWriter w;
    w.Header(!badBlockAfter, 1);  // fixed block
    for (unsigned char c : text) w.FixedSymbol(c);
    w.FixedSymbol(256);  // end of block
    if (badBlockAfter) w.Header(true, 3);  // block type 3
    return w.Data();
}

}  // namespace

TEST(InflateArchive, InfoZipEveryLevel) {
    if (!HostToolAvailable("zip")) GTEST_SKIP() << "Info-ZIP zip is not installed";
    TScratchDir dir;
    ForceDirectories(dir / "src\\sub");
    std::mt19937 rng(8);
    std::string binary(90000, '\0');
    for (char& c : binary) c = static_cast<char>(rng() % 7 == 0 ? rng() : 'x');
    const std::pair<const char*, std::string> files[] = {
        {"words.txt", Words(700000, 1)},
        {"sub\\binary.dat", binary},
        {"sub\\small.txt", "small\n"},
        {"empty.txt", ""},
    };
    for (const auto& [name, data] : files) WriteFileBytes(dir / ("src\\" + AnsiString(name)), data);
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE(level);
        const AnsiString zipName = dir / Format("l%d.zip", level);
        std::string out;
        ASSERT_EQ(RunHost("cd " + ShellQuote(HostPath(dir / "src")) + " && zip -q -" + std::to_string(level) + " -r " +
                              ShellQuote(HostPath(zipName)) + " .",
                          &out),
                  0)
            << out;
        TUnZipper zip;
        zip.SetZipName(zipName);
        zip.SetDestDir(dir / Format("out%d", level));
        zip.DoAll = true;
        zip.RecreateDirs = true;
        int badCrc = 0;
        zip.OnBadCRC = [&](TUnZipper*, int, int, int) { ++badCrc; };
        EXPECT_EQ(zip.UnZip(), 5);
        EXPECT_EQ(badCrc, 0);
        int deflated = 0;
        for (int i = 0; i < zip.Count(); ++i) deflated += zip.Entry(i).Method == 8;
        EXPECT_GE(deflated, 2);
        for (const auto& [name, data] : files)
            EXPECT_TRUE(ReadFileBytes(dir / Format("out%d\\", level) + name) == data) << name;
    }
}

TEST(InflateArchive, PkzipDeflateConformanceArchives) {
    const AnsiString fixtures = FixtureDir("pkzip");
    if (fixtures.empty()) GTEST_SKIP() << "the PKZIP archives are not there";
    TScratchDir dir;
    for (const char* name : {"PKZ204E0.ZIP", "PKZ204EF.ZIP", "PKZ204EN.ZIP", "PKZ204ES.ZIP", "PKZ204EX.ZIP"}) {
        SCOPED_TRACE(name);
        TUnZipper zip;
        zip.SetZipName(fixtures + "\\" + name);
        zip.SetDestDir(dir / name);
        zip.DoAll = true;
        int badCrc = 0, deflated = 0;
        zip.OnBadCRC = [&](TUnZipper*, int, int, int) { ++badCrc; };
        EXPECT_EQ(zip.UnZip(), 15);
        EXPECT_EQ(badCrc, 0);
        for (int i = 0; i < zip.Count(); ++i) deflated += zip.Entry(i).Method == 8;
        EXPECT_EQ(deflated, AnsiString(name) == "PKZ204E0.ZIP" ? 0 : 8);
        // The same fifteen files as the stored archive.
        for (int i = 0; i < zip.Count(); ++i) {
            const AnsiString file = zip.Filename(i);
            EXPECT_TRUE(ReadFileBytes(dir / name + "\\" + file) == ReadFileBytes(dir / "PKZ204E0.ZIP\\" + file)) << file;
        }
    }
}

// The entry's stream holds 50,000 bytes more than its size: FlushOutput refuses the piece
// that would pass it, the CRC fails and the file goes; the next entry is not disturbed, nor
// is the one after an entry whose decoder stopped on a bad block.
TEST(InflateArchive, ALongerStreamAndABadBlockLoseOnlyTheirOwnEntry) {
    const std::string text = Words(70000, 3), longer = text + Words(50000, 4);
    TFixtureArchive fixture;
    fixture.Entries.push_back({.Name = "long.txt", .Data = text, .Packed = FixedLiterals(longer), .Method = 8});
    fixture.Entries.push_back({.Name = "next.txt", .Data = "next", .Packed = FixedLiterals("next"), .Method = 8});
    fixture.Entries.push_back({.Name = "bad.txt", .Data = text, .Packed = FixedLiterals(text, true), .Method = 8});
    fixture.Entries.push_back({.Name = "after.txt", .Data = text, .Packed = FixedLiterals(text), .Method = 8});
    TScratchDir dir;
    WriteFileBytes(dir / "t.zip", BuildZip(fixture).Bytes);
    TUnZipper zip;
    zip.SetZipName(dir / "t.zip");
    zip.SetDestDir(dir / "out");
    zip.DoAll = true;
    std::vector<int> failed;
    std::vector<int64_t> sizeOnDisk;
    zip.OnBadCRC = [&](TUnZipper*, int, int, int i) {
        failed.push_back(i);
        sizeOnDisk.push_back(ReadFileBytes(dir / "out\\" + zip.Filename(i)).size());
    };
    EXPECT_EQ(zip.UnZip(), 2);
    std::vector<int> expectedFailed;
    for (int i = 0; i < zip.Count(); ++i)
        if (zip.Filename(i) == "long.txt" || zip.Filename(i) == "bad.txt") expectedFailed.push_back(i);
    EXPECT_EQ(failed, expectedFailed);
    ASSERT_EQ(sizeOnDisk.size(), 2u);
    // The long one: four pieces before the refused one. The bad one: the four pieces of its
    // first two windows; the rest of its bytes were in OutBuf and the window when the bad
    // block came.
    EXPECT_EQ(sizeOnDisk, (std::vector<int64_t>{64000, 64000}));
    EXPECT_FALSE(FileExists(dir / "out\\long.txt"));
    EXPECT_FALSE(FileExists(dir / "out\\bad.txt"));
    EXPECT_EQ(ReadFileBytes(dir / "out\\next.txt"), "next");
    EXPECT_TRUE(ReadFileBytes(dir / "out\\after.txt") == text);
}
