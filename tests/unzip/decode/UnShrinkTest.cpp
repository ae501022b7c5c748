// UnShrink: round trips through the test encoder, hand-made streams for the cases of LZW that
// the encoder rarely or never produces, and corrupt streams that must stop the decoder.
#include "tests/common/HostTools.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"
#include "tests/common/encoders/BitWriter.h"
#include "tests/common/encoders/SampleData.h"
#include "tests/common/encoders/ShrinkEncoder.h"
#include "tests/unzip/decode/MemoryHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Codes at given sizes: {code, bits}.
std::string Codes(const std::vector<std::pair<int, unsigned>>& codes) {
    TBitWriter w;
    for (const auto& [code, bits] : codes) w.Put(static_cast<uint32_t>(code), bits);
    return w.Finish();
}

std::string Codes9(const std::vector<int>& codes) {
    std::vector<std::pair<int, unsigned>> sized;
    for (int c : codes) sized.push_back({c, 9});
    return Codes(sized);
}

struct TRoundTrip {
    TSampleKind Kind;
    size_t Size;
    int ClearAt;  // TShrinkOptions::ClearAt
};

constexpr int NearlyFull = TShrinkOptions{}.ClearAt;

class UnShrinkRoundTrip : public testing::TestWithParam<TRoundTrip> {};

TEST_P(UnShrinkRoundTrip, DecodesWhatTheEncoderWrote) {
    const auto& p = GetParam();
    const std::string data = SampleData(p.Kind, p.Size);
    TShrinkOptions options;
    options.ClearAt = p.ClearAt;
    const std::string packed = ShrinkEncode(data, options);
    if (p.ClearAt > 0 && p.ClearAt < 2000 && p.Size > 10000) {
        EXPECT_GT(ShrinkClearsSent(), 0);
    }
    const TMemoryDecode r = UnShrinkInMemory(packed, static_cast<int32_t>(data.size()));
    EXPECT_FALSE(r.TooBig);
    ASSERT_EQ(r.Output.size(), data.size());
    EXPECT_TRUE(r.Output == data);
}

INSTANTIATE_TEST_SUITE_P(
    Data, UnShrinkRoundTrip,
    testing::Values(TRoundTrip{skText, 0, NearlyFull}, TRoundTrip{skText, 1, NearlyFull},
                    TRoundTrip{skText, 2, NearlyFull}, TRoundTrip{skText, 15999, NearlyFull},
                    TRoundTrip{skText, 16000, NearlyFull}, TRoundTrip{skText, 16001, NearlyFull},
                    TRoundTrip{skBinary, 16383, NearlyFull}, TRoundTrip{skBinary, 16384, NearlyFull},
                    TRoundTrip{skBinary, 16385, NearlyFull}, TRoundTrip{skAllBytes, 32767, NearlyFull},
                    TRoundTrip{skAllBytes, 32768, NearlyFull}, TRoundTrip{skAllBytes, 32769, NearlyFull},
                    // Tables that fill up and are partly cleared many times, then refilled
                    // from their holes in order.
                    TRoundTrip{skText, 400000, NearlyFull}, TRoundTrip{skBinary, 300000, NearlyFull},
                    TRoundTrip{skNoise, 100000, NearlyFull}, TRoundTrip{skRuns, 200000, NearlyFull},
                    // Clears of small tables, as PKZIP sends them at 1,024 or 4,096 codes.
                    TRoundTrip{skText, 100000, 1024}, TRoundTrip{skBinary, 100000, 4096},
                    // A table that fills up to code 8,191 and stays frozen.
                    TRoundTrip{skText, 300000, 0}, TRoundTrip{skNoise, 100000, 0},
                    // Strings longer than the 2,048 bytes that go into OutBuf as one piece.
                    TRoundTrip{skRuns, 3000000, NearlyFull}),
    [](const testing::TestParamInfo<TRoundTrip>& i) {
        std::string name = SampleKindName(i.param.Kind);
        name += '_';
        name += std::to_string(i.param.Size);
        name += "_clearat";
        name += std::to_string(i.param.ClearAt);
        return name;
    });

struct THandMade {
    const char* Name;
    std::string Packed;
    std::string Expected;
};

class UnShrinkHandMade : public testing::TestWithParam<THandMade> {};

TEST_P(UnShrinkHandMade, Decodes) {
    const auto& p = GetParam();
    const TMemoryDecode r = UnShrinkInMemory(p.Packed, 1000);
    EXPECT_EQ(r.Output, p.Expected);
}

// Info-ZIP's unzip reads the same streams the same way (Linux, when it is installed).
TEST_P(UnShrinkHandMade, InfoZipAgrees) {
    if (!HostToolAvailable("unzip")) GTEST_SKIP() << "Info-ZIP unzip is not available";
    const auto& p = GetParam();
    ZipFixture::TFixtureArchive archive;
    archive.Entries.push_back({.Name = "hand.bin", .Data = p.Expected, .Packed = p.Packed, .Method = 1});
    TScratchDir dir;
    WriteFileBytes(dir / "hand.zip", ZipFixture::BuildZip(archive).Bytes);
    std::string output;
    EXPECT_EQ(RunHost("unzip -p " + ShellQuote(HostPath(dir / "hand.zip")) + " 2>/dev/null", &output), 0);
    EXPECT_EQ(output, p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, UnShrinkHandMade,
    testing::Values(
        // The first code and then the end of the data: one byte, whatever the pad bits.
        THandMade{"FirstCodeOnly", Codes9({'A'}), "A"},
        // 257 is the code being defined: the previous string and its own first character.
        THandMade{"CodeBeingDefined", Codes9({'a', 257, 258}), "a" "aa" "aaa"},
        // 257 = ab, 258 = ba, 259 = (257)c; the clear frees 258 and 259 (257 is still a
        // prefix), so 258 and 259 come back, in order, as cd and de; 257 keeps ab.
        THandMade{"ReuseAfterPartialClear", Codes9({'a', 'b', 257, 'c', 256, 2, 'd', 'e', 258, 257, 259}),
                  "ababc" "de" "cd" "ab" "de"},
        // The same without the clear: 258 is still ba.
        THandMade{"NoClearNoReuse", Codes9({'a', 'b', 257, 'c', 'd', 'e', 258}), "ababcde" "ba"},
        // 257 = ab and 258 = ba are the prefixes of 259 = abb and 260 = bac, so only the
        // leaves 259 and 260 are freed; 259 comes back as cx.
        THandMade{"ClearKeepsInnerCodes", Codes9({'a', 'b', 257, 258, 'c', 256, 2, 'x', 258, 257, 259}),
                  "abab" "ba" "c" "x" "ba" "ab" "cx"},
        // Wider codes after 256,1; other subcodes change nothing.
        THandMade{"WiderCodes", Codes({{'x', 9}, {256, 9}, {1, 9}, {'y', 10}, {256, 10}, {7, 10}, {257, 10}}),
                  "xyxy"},
        // A signal as the last thing in the data.
        THandMade{"SignalAtTheEnd", Codes9({'x', 'y', 256, 2}), "xy"}),
    [](const testing::TestParamInfo<THandMade>& i) { return i.param.Name; });

// Streams that are corrupt in the ways LZW can be: each stops the decoder (no hang, nothing
// outside the tables, as AddressSanitizer checks), without more output than declared.
struct TCorrupt {
    const char* Name;
    std::string Packed;
    bool StopsAtOnce;  // the rest of the data is left unread and nothing is written
};

class UnShrinkCorrupt : public testing::TestWithParam<TCorrupt> {};

TEST_P(UnShrinkCorrupt, Stops) {
    const auto& p = GetParam();
    const std::string tail(20000, '\x55');  // garbage after the fault
    const TMemoryDecode r = UnShrinkInMemory(p.Packed + tail, 1 << 30);
    if (p.StopsAtOnce) {
        EXPECT_EQ(r.Output, "");
        EXPECT_GT(r.CompressedLeft, 15000);
    }
    EXPECT_FALSE(r.TooBig);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, UnShrinkCorrupt,
    testing::Values(
        // A fifth 256,1 would ask for 14-bit codes.
        TCorrupt{"CodeSizeBeyond13",
                 Codes({{'a', 9}, {256, 9}, {1, 9}, {256, 10}, {1, 10}, {256, 11}, {1, 11}, {256, 12}, {1, 12},
                        {'b', 13}, {256, 13}, {1, 13}}),
                 true},
        // Undefined codes referring to each other: strings without end.
        TCorrupt{"PrefixCycle", Codes9({'a', 300, 301}), true},
        // A first code that is not a byte, then codes built on it.
        TCorrupt{"FirstCodeUndefined", Codes9({400, 257, 258}), true},
        // Garbage from the start: whatever it decodes to, it ends.
        TCorrupt{"Noise", SampleData(skNoise, 5000), false}),
    [](const testing::TestParamInfo<TCorrupt>& i) { return i.param.Name; });

// The data ends inside a code: the decoder stops at the end of the data instead of making up
// codes from an empty reservoir until the declared size is reached.
TEST(UnShrink, DataEndingInsideACodeStopsAtTheEnd) {
    const std::string data = SampleData(skText, 50000);
    std::string packed = ShrinkEncode(data);
    packed.resize(packed.size() / 2);
    const TMemoryDecode r = UnShrinkInMemory(packed, 1 << 30);
    EXPECT_FALSE(r.TooBig);
    EXPECT_LT(r.Output.size(), data.size());
    // Only the last code, cut short, can be garbage.
    const size_t sound = r.Output.size() > 8192 ? r.Output.size() - 8192 : 0;
    EXPECT_GT(sound, 0u);
    EXPECT_TRUE(data.compare(0, sound, r.Output, 0, sound) == 0);
}

TEST(UnShrink, MoreOutputThanDeclaredIsRefused) {
    const std::string data = SampleData(skText, 40000);
    const TMemoryDecode r = UnShrinkInMemory(ShrinkEncode(data), 20000);
    EXPECT_TRUE(r.TooBig);
    EXPECT_LE(r.Output.size(), 20000u);
    EXPECT_TRUE(data.compare(0, r.Output.size(), r.Output) == 0);
}

}  // namespace
