// The test encoders of Shrink and Implode checked against Info-ZIP's unzip, which decodes
// both (not Reduce): an encoder that pleases our decoder alone could share its faults.
// Skipped where unzip cannot be run (Windows, or not installed).
#include "tests/common/HostTools.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"
#include "tests/common/encoders/ImplodeEncoder.h"
#include "tests/common/encoders/SampleData.h"
#include "tests/common/encoders/ShrinkEncoder.h"

#include <gtest/gtest.h>

namespace {

using namespace ZipFixture;

const TSampleKind Kinds[] = {skText, skBinary, skRuns, skAllBytes, skNoise};

std::string EntryName(const std::string& what, TSampleKind kind, size_t size) {
    std::string name = what;
    name += '-';
    name += SampleKindName(kind);
    name += '-';
    name += std::to_string(size);
    return name;
}

// unzip -t over the archive: every entry must test OK.
void ExpectInfoZipAccepts(const TFixtureArchive& archive) {
    TScratchDir dir;
    const AnsiString path = dir / "peer.zip";
    WriteFileBytes(path, BuildZip(archive).Bytes);
    std::string output;
    const int status = RunHost("unzip -t " + ShellQuote(HostPath(path)), &output);
    EXPECT_EQ(status, 0) << output;
    size_t ok = 0;
    for (size_t at = output.find(" OK"); at != std::string::npos; at = output.find(" OK", at + 1)) ++ok;
    EXPECT_EQ(ok, archive.Entries.size()) << output;
}

class EncoderPeer : public testing::Test {
protected:
    void SetUp() override {
        if (!HostToolAvailable("unzip")) GTEST_SKIP() << "Info-ZIP unzip is not available";
    }
};

TEST_F(EncoderPeer, InfoZipAcceptsTheShrinkEncoder) {
    TFixtureArchive archive;
    // Partial clears near the full table, of small tables (as PKZIP sends them) and of a
    // table of two codes; sizes from a single code to many clears.
    for (int clearAt : {TShrinkOptions{}.ClearAt, 1024, 258})
        for (TSampleKind kind : Kinds)
            for (size_t size : {size_t{1}, size_t{32769}, size_t{300000}}) {
                const std::string data = SampleData(kind, size);
                TShrinkOptions options;
                options.ClearAt = clearAt;
                archive.Entries.push_back({.Name = EntryName("clear" + std::to_string(clearAt), kind, size),
                                           .Data = data,
                                           .Packed = ShrinkEncode(data, options),
                                           .Method = 1});
            }
    ExpectInfoZipAccepts(archive);
}

TEST_F(EncoderPeer, InfoZipAcceptsTheImplodeEncoder) {
    TFixtureArchive archive;
    for (bool eightK : {false, true})
        for (bool tree : {false, true})
            for (TSampleKind kind : Kinds)
                for (size_t size : {size_t{1}, size_t{32769}, size_t{260000}}) {
                    const TImplodeOptions options{eightK, tree};
                    const std::string data = SampleData(kind, size);
                    std::string what = eightK ? "8k" : "4k";
                    what += tree ? "tree" : "notree";
                    archive.Entries.push_back({.Name = EntryName(what, kind, size),
                                               .Data = data,
                                               .Packed = ImplodeEncode(data, options),
                                               .Method = 6,
                                               .Flags = ImplodeFlags(options)});
                }
    ExpectInfoZipAccepts(archive);
}

}  // namespace
