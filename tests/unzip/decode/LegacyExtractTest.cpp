// The older methods through the whole pipeline: UnZip over archives with Shrink, Reduce and
// Implode entries (also encrypted), damaged entries that must fail their CRC check without
// harming the next entry, and every entry of the PKZIP conformance archives.
#include "platform/os/FileSystem.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"
#include "tests/common/encoders/BitWriter.h"
#include "tests/common/encoders/ImplodeEncoder.h"
#include "tests/common/encoders/ReduceEncoder.h"
#include "tests/common/encoders/SampleData.h"
#include "tests/common/encoders/ShrinkEncoder.h"
#include "unzip/UnZipper.h"

#include <gtest/gtest.h>

namespace {

using namespace ZipFixture;

struct TLegacyEntry {
    std::string Name;
    uint16_t Method;
    uint16_t Flags;
    std::string Data;
    std::string Packed;
};

std::vector<TLegacyEntry> EveryMethod(const std::string& data) {
    std::vector<TLegacyEntry> e;
    e.push_back({"shrink.bin", 1, 0, data, ShrinkEncode(data)});
    for (int f = 1; f <= 4; ++f)
        e.push_back({"reduce" + std::to_string(f) + ".bin", static_cast<uint16_t>(1 + f), 0, data,
                     ReduceEncode(data, f)});
    for (bool eightK : {false, true})
        for (bool tree : {false, true}) {
            const TImplodeOptions o{eightK, tree};
            e.push_back({std::string("implode") + (eightK ? "8k" : "4k") + (tree ? "tree" : "") + ".bin", 6,
                         ImplodeFlags(o), data, ImplodeEncode(data, o)});
        }
    return e;
}

struct TRun {
    TScratchDir Dir;
    TUnZipper Zip;
    std::vector<int> Ended, BadCrc;

    explicit TRun(const TFixtureArchive& archive) {
        WriteFileBytes(Dir / "t.zip", BuildZip(archive).Bytes);
        Zip.SetZipName(Dir / "t.zip");
        Zip.SetDestDir(Dir / "out");
        Zip.DoAll = true;
        Zip.OverwriteMode = Always;
        Zip.OnEndUnZip = [this](TUnZipper*, int i, const AnsiString&) { Ended.push_back(i); };
        Zip.OnBadCRC = [this](TUnZipper*, int, int, int i) { BadCrc.push_back(i); };
    }
    std::string Read(const std::string& name) { return ReadFileBytes(Dir / ("out\\" + name)); }
    bool Exists(const std::string& name) { return FileExists(Dir / ("out\\" + name)); }
};

TEST(LegacyExtract, EveryMethodThroughUnZip) {
    const std::string data = SampleData(skText, 70000) + SampleData(skBinary, 30000);
    for (bool encrypted : {false, true}) {
        TFixtureArchive archive;
        const auto entries = EveryMethod(data);
        for (const auto& e : entries) {
            TFixtureEntry f{.Name = e.Name, .Data = e.Data, .Packed = e.Packed, .Method = e.Method, .Flags = e.Flags};
            if (encrypted) f.Password = "geheim";
            archive.Entries.push_back(f);
        }
        TRun run(archive);
        run.Zip.Password = "geheim";
        EXPECT_EQ(run.Zip.UnZip(), static_cast<int>(entries.size()));
        EXPECT_EQ(run.Ended.size(), entries.size());
        EXPECT_TRUE(run.BadCrc.empty());
        for (const auto& e : entries) EXPECT_TRUE(run.Read(e.Name) == data) << e.Name << (encrypted ? " encrypted" : "");
    }
}

// Damaged entries fail their CRC check and are deleted; each is followed by a sound entry of
// the same method, which must come out right (the decoders keep no state across entries).
TEST(LegacyExtract, DamagedEntriesFailAndTheNextOneIsRight) {
    const std::string data = SampleData(skText, 40000);
    TBitWriter tooWide;  // a fifth 256,1 asks for 14-bit codes
    tooWide.Put('a', 9);
    for (unsigned size = 9; size <= 13; ++size) {
        tooWide.Put(256, size);
        tooWide.Put(1, size);
    }
    std::string badTrees(1, '\0');  // a length tree of one symbol
    badTrees += '\x05';
    badTrees += std::string(100, '\xFF');

    struct TDamage {
        std::string Name;
        uint16_t Method, Flags;
        std::string Packed;
        std::string Declared;  // what the entry claims to hold
    };
    std::vector<TDamage> damaged = {
        {"wide.shr", 1, 0, tooWide.Finish(), "a"},
        {"cut.shr", 1, 0, ShrinkEncode(data).substr(0, 9000), data},
        {"cut.red", 4, 0, ReduceEncode(data, 3).substr(0, 9000), data},
        {"trees.imp", 6, 0, badTrees, std::string(50, '\xFF')},
        {"cut.imp", 6, 4, ImplodeEncode(data, {false, true}).substr(0, 9000), data},
        // More data than declared: FlushOutput refuses it.
        {"long.red", 2, 0, ReduceEncode(data, 1), data.substr(0, 20000)},
        {"long.imp", 6, 2, ImplodeEncode(data, {true, false}), data.substr(0, 20000)},
    };
    TFixtureArchive archive;
    for (const auto& d : damaged) {
        archive.Entries.push_back({.Name = d.Name, .Data = d.Declared, .Packed = d.Packed, .Method = d.Method,
                                   .Flags = d.Flags});
        const TImplodeOptions o{(d.Flags & 2) != 0, (d.Flags & 4) != 0};
        std::string sound;
        if (d.Method == 1) sound = ShrinkEncode(data);
        else if (d.Method == 6) sound = ImplodeEncode(data, o);
        else sound = ReduceEncode(data, d.Method - 1);
        archive.Entries.push_back({.Name = "next-" + d.Name, .Data = data, .Packed = sound, .Method = d.Method,
                                   .Flags = d.Flags});
    }
    TRun run(archive);
    EXPECT_EQ(run.Zip.UnZip(), static_cast<int>(damaged.size()));
    std::vector<int> bad, good;
    for (size_t i = 0; i < damaged.size(); ++i) {
        bad.push_back(static_cast<int>(2 * i));
        good.push_back(static_cast<int>(2 * i + 1));
        EXPECT_FALSE(run.Exists(damaged[i].Name)) << damaged[i].Name;
        EXPECT_TRUE(run.Read("next-" + damaged[i].Name) == data) << damaged[i].Name;
    }
    EXPECT_EQ(run.BadCrc, bad);
    EXPECT_EQ(run.Ended, good);
}

// Every entry of every archive that PKZIP 0.80, 1.10 and 2.04g wrote (Shrink, Reduce 1 to 4,
// Implode, Deflate at four levels, stored) extracts with its CRC right.
TEST(LegacyExtract, PkzipConformanceArchives) {
    const AnsiString fixtures = FixtureDir("pkzip");
    if (fixtures.empty()) GTEST_SKIP() << "the PKZIP archives are not there";
    for (const char* name : {"PKZ80A1.ZIP", "PKZ80B1.ZIP", "PKZ80B2.ZIP", "PKZ80B3.ZIP", "PKZ80B4.ZIP", "PKZ110ES.ZIP",
                             "PKZ110EI.ZIP", "PKZ110.ZIP", "PKZ204E0.ZIP", "PKZ204EF.ZIP", "PKZ204EN.ZIP",
                             "PKZ204ES.ZIP", "PKZ204EX.ZIP"}) {
        TScratchDir dir;
        TUnZipper zip;
        zip.SetZipName(fixtures + "\\" + name);
        zip.SetDestDir(dir.Path());
        zip.DoAll = true;
        int failed = 0, ended = 0;
        zip.OnBadCRC = [&](TUnZipper*, int, int, int) { ++failed; };
        zip.OnEndUnZip = [&](TUnZipper*, int, const AnsiString&) { ++ended; };
        EXPECT_EQ(zip.UnZip(), 15) << name;
        EXPECT_EQ(failed, 0) << name;
        EXPECT_EQ(ended, 15) << name;
    }
}

}  // namespace
