// Explode: round trips through the test encoder for both dictionary sizes with and without a
// literal tree, hand-made token streams for the length and distance edge cases, and trees
// or tables that must stop the decoder before it writes anything.
#include "tests/common/encoders/ImplodeEncoder.h"
#include "tests/common/encoders/SampleData.h"
#include "tests/unzip/decode/MemoryHost.h"
#include "unzip/decode/DecodeTable.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

constexpr TImplodeOptions Small{false, false}, SmallTree{false, true}, Large{true, false}, LargeTree{true, true};
const TImplodeOptions AllOptions[] = {Small, SmallTree, Large, LargeTree};

std::string OptionName(const TImplodeOptions& o) {
    std::string s = o.EightKDictionary ? "8k" : "4k";
    s += o.LiteralTree ? "_tree" : "_notree";
    return s;
}

TMemoryDecode Decode(const std::string& packed, size_t size, const TImplodeOptions& o) {
    return ExplodeInMemory(packed, static_cast<int32_t>(size), ImplodeFlags(o));
}

using TRoundTrip = std::tuple<TImplodeOptions, TSampleKind, size_t>;

class ExplodeRoundTrip : public testing::TestWithParam<TRoundTrip> {};

TEST_P(ExplodeRoundTrip, DecodesWhatTheEncoderWrote) {
    const auto [options, kind, size] = GetParam();
    const std::string data = SampleData(kind, size);
    const TMemoryDecode r = Decode(ImplodeEncode(data, options), size, options);
    EXPECT_FALSE(r.TooBig);
    ASSERT_EQ(r.Output.size(), data.size());
    EXPECT_TRUE(r.Output == data);
}

INSTANTIATE_TEST_SUITE_P(Data, ExplodeRoundTrip,
                         testing::Combine(testing::ValuesIn(AllOptions),
                                          testing::Values(skText, skBinary, skRuns, skAllBytes, skNoise),
                                          testing::Values(0, 1, 16000, 32767, 32768, 32769, 150000)),
                         [](const testing::TestParamInfo<TRoundTrip>& i) {
                             std::string name = OptionName(std::get<0>(i.param));
                             name += '_';
                             name += SampleKindName(std::get<1>(i.param));
                             name += '_';
                             name += std::to_string(std::get<2>(i.param));
                             return name;
                         });

std::vector<TImplodeToken> Literals(const std::string& s) {
    std::vector<TImplodeToken> t;
    for (char c : s) t.push_back({0, 0, static_cast<uint8_t>(c)});
    return t;
}

std::string Repeat(const std::string& unit, size_t n) {
    std::string s;
    while (s.size() < n) s += unit;
    s.resize(n);
    return s;
}

struct TTokens {
    const char* Name;
    TImplodeOptions Options;
    std::vector<TImplodeToken> Tokens;
    std::string Expected;
};

class ExplodeTokens : public testing::TestWithParam<TTokens> {};

TEST_P(ExplodeTokens, Decode) {
    const auto& p = GetParam();
    const TMemoryDecode r = Decode(ImplodeEncodeTokens(p.Tokens, p.Options), p.Expected.size(), p.Options);
    EXPECT_FALSE(r.TooBig);
    EXPECT_TRUE(r.Output == p.Expected);
}

template <class... T>
std::vector<TImplodeToken> Join(std::vector<TImplodeToken> a, const T&... more) {
    (a.insert(a.end(), more.begin(), more.end()), ...);
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ExplodeTokens,
    testing::Values(
        // Without a literal tree the shortest match is 2 (length symbol 0) ...
        TTokens{"Length2Small", Small, Join(Literals("abc"), std::vector<TImplodeToken>{{2, 3, 0}}), "abcab"},
        // ... with one it is 3, and the same symbol 0 means 3.
        TTokens{"Length3Tree", SmallTree, Join(Literals("abc"), std::vector<TImplodeToken>{{3, 3, 0}}), "abcabc"},
        // Symbol 63 with its extra byte 255: 65 + 255 = 320 bytes, with a tree 66 + 255 = 321.
        TTokens{"Length320", Small, Join(Literals("xy"), std::vector<TImplodeToken>{{320, 2, 0}}),
                Repeat("xy", 322)},
        TTokens{"Length321", LargeTree, Join(Literals("xy"), std::vector<TImplodeToken>{{321, 2, 0}}),
                Repeat("xy", 323)},
        // Symbol 63 with the extra byte 0: 65 and 66.
        TTokens{"Length65", Large, Join(Literals("q"), std::vector<TImplodeToken>{{65, 1, 0}}), std::string(66, 'q')},
        // The farthest distances: 4,096 and 8,192 bytes (low bits 63 / 127, symbol 63).
        TTokens{"Distance4096", Small,
                Join(Literals(Repeat("0123456789", 4096)), std::vector<TImplodeToken>{{4, 4096, 0}}),
                Repeat("0123456789", 4096) + "0123"},
        TTokens{"Distance8192", LargeTree,
                Join(Literals(Repeat("abcdefg", 8192)), std::vector<TImplodeToken>{{5, 8192, 0}}),
                Repeat("abcdefg", 8192) + "abcde"},
        // Matches that reach before the first byte give zero bytes, whatever WorkArea held.
        TTokens{"BeforeTheStart", Large, Join(std::vector<TImplodeToken>{{5, 100, 0}}, Literals("z")),
                std::string(5, '\0') + "z"},
        TTokens{"PartlyBeforeTheStart", SmallTree, Join(Literals("ab"), std::vector<TImplodeToken>{{6, 4, 0}}),
                std::string("ab\0\0ab\0\0", 8)}),
    [](const testing::TestParamInfo<TTokens>& i) { return i.param.Name; });

// The distance table is 7 bits wide up to 200,000 compressed bytes and 8 bits above; codes
// longer than the first level go through sub-tables in one case and not in the other, and
// the output must not change. Bytes after the stream's end are never consumed.
TEST(Explode, DistanceLookupWidthDoesNotChangeTheOutput) {
    const std::string data = SampleData(skText, 400000);
    const std::string packed = ImplodeEncode(data, Large);
    ASSERT_LT(packed.size(), 200000u);
    for (size_t size : {200000u, 200001u}) {
        std::string padded = packed;
        padded.resize(size, '\x5A');
        const TMemoryDecode r = Decode(padded, data.size(), Large);
        EXPECT_TRUE(r.Output == data) << size << " compressed bytes";
        EXPECT_GT(r.CompressedLeft, 0);
    }
}

// Trees and tables the decoder refuses before any output: the entry then fails its CRC.
struct TBadTrees {
    const char* Name;
    std::string Trees;
};

std::string Run(unsigned count, unsigned length) {
    std::string s;
    while (count > 0) {
        const unsigned n = count < 16 ? count : 16;
        s.push_back(static_cast<char>(((n - 1) << 4) | (length - 1)));
        count -= n;
    }
    return s;
}

std::string Tree(const std::string& runs) { return std::string(1, static_cast<char>(runs.size() - 1)) + runs; }

const std::string GoodTree64 = Tree(Run(64, 6));

// Behind the trees, one bits only: literals 255 without a literal tree.
const std::string AllOnes(2000, '\xFF');

TEST(Explode, SoundTreesBeforeTheSameDataDecode) {
    EXPECT_EQ(Decode(GoodTree64 + GoodTree64 + AllOnes, 1000, Small).Output, std::string(1000, '\xFF'));
}

class ExplodeBadTrees : public testing::TestWithParam<TBadTrees> {};

TEST_P(ExplodeBadTrees, StopBeforeAnyOutput) {
    const TMemoryDecode r = Decode(GetParam().Trees + AllOnes, 1000, Small);
    EXPECT_EQ(r.Output, "");
    EXPECT_FALSE(r.TooBig);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, ExplodeBadTrees,
    testing::Values(
        TBadTrees{"LengthTreeShort", Tree(Run(63, 6)) + GoodTree64},
        TBadTrees{"LengthTreeLong", Tree(Run(65, 6)) + GoodTree64},
        TBadTrees{"DistanceTreeShort", GoodTree64 + Tree(Run(48, 6))},
        TBadTrees{"Oversubscribed", Tree(Run(64, 5)) + GoodTree64},
        TBadTrees{"Incomplete", GoodTree64 + Tree(Run(64, 7))},
        TBadTrees{"NoData", ""}),
    [](const testing::TestParamInfo<TBadTrees>& i) { return i.param.Name; });

// A stream cut short: the decoder stops where its codes run past the data instead of
// decoding copies of the last byte up to the declared size; full windows already written.
TEST(Explode, DataEndingEarlyStopsAtTheEnd) {
    const std::string data = SampleData(skBinary, 300000);
    for (const auto& o : AllOptions) {
        std::string packed = ImplodeEncode(data, o);
        packed.resize(packed.size() / 2);
        const TMemoryDecode r = Decode(packed, 1 << 30, o);
        EXPECT_FALSE(r.TooBig);
        EXPECT_GT(r.Output.size(), 32768u) << OptionName(o);
        EXPECT_LT(r.Output.size(), data.size()) << OptionName(o);
        EXPECT_TRUE(data.compare(0, r.Output.size(), r.Output) == 0) << OptionName(o);
    }
}

// A last match that runs past the declared size: FlushOutput refuses the buffer that would
// exceed it.
TEST(Explode, LastMatchPastTheSizeIsRefused) {
    const std::string packed = ImplodeEncodeTokens(Join(Literals("ab"), std::vector<TImplodeToken>{{10, 2, 0}}), Small);
    const TMemoryDecode r = Decode(packed, 5, Small);
    EXPECT_TRUE(r.TooBig);
    EXPECT_EQ(r.Output, "");
}

TEST(Explode, OutOfMemoryForATableStopsBeforeAnyOutput) {
    int allocations = 0;
    SetDecodeTableFault([&] { return ++allocations == 2; });  // a block of the first two tables
    const std::string data = SampleData(skText, 5000);
    const TMemoryDecode r = Decode(ImplodeEncode(data, SmallTree), data.size(), SmallTree);
    SetDecodeTableFault(nullptr);
    EXPECT_EQ(r.Output, "");
    EXPECT_GE(allocations, 2);
}

}  // namespace
