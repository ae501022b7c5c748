// UnReduce: round trips through the test encoder for every factor and follower-set size,
// hand-made escape sequences whose meaning depends on the factor, and damaged streams.
#include "tests/common/encoders/ReduceEncoder.h"
#include "tests/common/encoders/SampleData.h"
#include "tests/unzip/decode/MemoryHost.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using TRoundTrip = std::tuple<int /*factor*/, TSampleKind, size_t>;

class UnReduceRoundTrip : public testing::TestWithParam<TRoundTrip> {};

TEST_P(UnReduceRoundTrip, DecodesWhatTheEncoderWrote) {
    const auto [factor, kind, size] = GetParam();
    const std::string data = SampleData(kind, size);
    const TMemoryDecode r = UnReduceInMemory(ReduceEncode(data, factor), static_cast<int32_t>(size), factor);
    EXPECT_FALSE(r.TooBig);
    ASSERT_EQ(r.Output.size(), data.size());
    EXPECT_TRUE(r.Output == data);
}

INSTANTIATE_TEST_SUITE_P(Data, UnReduceRoundTrip,
                         testing::Combine(testing::Values(1, 2, 3, 4),
                                          testing::Values(skText, skBinary, skRuns, skAllBytes, skNoise),
                                          testing::Values(0, 1, 16383, 16384, 16385, 32769, 120000)),
                         [](const testing::TestParamInfo<TRoundTrip>& i) {
                             std::string name = "f";
                             name += std::to_string(std::get<0>(i.param));
                             name += '_';
                             name += SampleKindName(std::get<1>(i.param));
                             name += '_';
                             name += std::to_string(std::get<2>(i.param));
                             return name;
                         });

// Every set size 0 to 63, so every follower index width B(n) is read.
class UnReduceSetSize : public testing::TestWithParam<int> {};

TEST_P(UnReduceSetSize, DecodesEveryIndexWidth) {
    TReduceOptions options;
    options.MaxSetSize = GetParam();
    options.PadSets = true;
    const std::string data = SampleData(skText, 20000) + SampleData(skAllBytes, 3000);
    for (int factor = 1; factor <= 4; ++factor) {
        const TMemoryDecode r =
            UnReduceInMemory(ReduceEncode(data, factor, options), static_cast<int32_t>(data.size()), factor);
        EXPECT_TRUE(r.Output == data) << "factor " << factor;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, UnReduceSetSize, testing::Range(0, 64));

std::string Pattern(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>('A' + i % 23 + (i / 23) % 3));
    return s;
}

struct TEscaped {
    const char* Name;
    int Factor;
    std::string Escaped;  // the byte stream below the follower coding
    std::string Expected;
};

class UnReduceEscapes : public testing::TestWithParam<TEscaped> {};

TEST_P(UnReduceEscapes, Decode) {
    const auto& p = GetParam();
    // With and without follower sets: the escapes must not depend on how bytes are coded.
    for (int setSize : {0, 5}) {
        TReduceOptions options;
        options.MaxSetSize = setSize;
        const TMemoryDecode r = UnReduceInMemory(ReduceCodeBytes(p.Escaped, options),
                                                 static_cast<int32_t>(p.Expected.size()), p.Factor);
        EXPECT_FALSE(r.TooBig);
        EXPECT_TRUE(r.Output == p.Expected) << "sets of " << setSize;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, UnReduceEscapes,
    testing::Values(
        TEscaped{"EscapedByte", 1, std::string("x\x90\x00y", 4), "x\x90y"},
        // Distance 10 at the very start: zero bytes, whatever the window held before.
        TEscaped{"MatchBeforeTheStart", 1, "\x90\x01\x09", std::string(4, '\0')},
        TEscaped{"MatchPartlyBeforeTheStart", 1, "ab\x90\x03\x03", std::string("ab\0\0ab\0\0", 8)},
        // Factor 4: V & 15 == 15 takes a length byte (2), then the distance byte.
        TEscaped{"LengthByteFactor4", 4, std::string("xyz\x90\x0F\x02\x00", 8), "xyz" + std::string(20, 'z')},
        // The same bytes under factor 3: 15 is below its mask 31, so 2 is the distance byte
        // and the 0 after it a literal.
        TEscaped{"SameBytesFactor3", 3, std::string("xyz\x90\x0F\x02\x00", 8),
                 "xyz" "xyzxyzxyzxyzxyzxyz" + std::string(1, '\0')},
        // The longest match of factor 1: 127 + 255 + 3 bytes.
        TEscaped{"LongestMatchFactor1", 1, "ab\x90\x7F\xFF\x01", [] {
                     std::string s;
                     while (s.size() < 387) s += "ab";
                     s.resize(387);
                     return s;
                 }()},
        // The farthest distances: 1,024 bytes (factor 2) and 4,096 bytes (factor 4).
        TEscaped{"FarthestFactor2", 2, Pattern(1024) + "\x90\xC1\xFF", Pattern(1024) + Pattern(4)},
        TEscaped{"FarthestFactor4", 4, Pattern(4096) + "\x90\xF1\xFF", Pattern(4096) + Pattern(4)}),
    [](const testing::TestParamInfo<TEscaped>& i) { return i.param.Name; });

TEST(UnReduce, MatchesAcrossTheWindowEnd) {
    // Factor 1: V = 255 (distance high part 1, length part 127), length byte 255, distance
    // byte 0: 385 bytes from 257 back, crossing the window's end at 16,384.
    std::string escaped = Pattern(16300) + "\x90\xFF\xFF";
    escaped.push_back('\x00');
    std::string expected = Pattern(16300);
    for (int i = 0; i < 385; ++i) expected.push_back(expected[expected.size() - 257]);
    const TMemoryDecode r =
        UnReduceInMemory(ReduceCodeBytes(escaped), static_cast<int32_t>(expected.size()), 1);
    EXPECT_TRUE(r.Output == expected);
}

// A last match that runs past the declared size is copied, and FlushOutput refuses it: not a
// byte of the refused buffer reaches the file.
TEST(UnReduce, LastMatchPastTheSizeIsRefused) {
    const TMemoryDecode r = UnReduceInMemory(ReduceCodeBytes("abc\x90\x05\x02"), 6, 1);
    EXPECT_TRUE(r.TooBig);
    EXPECT_EQ(r.Output, "");
}

// A stream cut short ends the output where the data ends, however large the declared size.
TEST(UnReduce, DataEndingEarlyStopsAtTheEnd) {
    const std::string data = SampleData(skText, 100000);
    for (int factor = 1; factor <= 4; ++factor) {
        std::string packed = ReduceEncode(data, factor);
        packed.resize(packed.size() / 2);
        const TMemoryDecode r = UnReduceInMemory(packed, 1 << 30, factor);
        EXPECT_GT(r.Output.size(), 10000u);
        EXPECT_LT(r.Output.size(), data.size());
        EXPECT_TRUE(data.compare(0, r.Output.size(), r.Output) == 0) << "factor " << factor;
    }
}

TEST(UnReduce, NoiseDecodesToTheDeclaredSizeAtMost) {
    for (int factor = 1; factor <= 4; ++factor) {
        const TMemoryDecode r = UnReduceInMemory(SampleData(skNoise, 30000, factor), 50000, factor);
        EXPECT_LE(r.Output.size(), 50000u);
    }
}

}  // namespace
