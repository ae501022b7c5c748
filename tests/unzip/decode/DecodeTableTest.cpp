// The Huffman table builder: results, the cells of every code, sub-tables, invalid cells and
// running out of memory.
#include "tests/common/RecordingDialogs.h"
#include "unzip/decode/BitReader.h"
#include "unzip/decode/DecodeTable.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Canonical codes of RFC 1951 (most significant bit first), worked out independently.
std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
    unsigned count[17] = {};
    for (uint8_t l : lengths) ++count[l];
    count[0] = 0;
    uint32_t next[17] = {};
    uint32_t code = 0;
    for (unsigned len = 1; len <= 16; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    std::vector<uint32_t> codes(lengths.size());
    for (size_t i = 0; i < lengths.size(); ++i)
        if (lengths[i]) codes[i] = next[lengths[i]]++;
    return codes;
}

uint32_t Reverse(uint32_t code, unsigned len) {
    uint32_t r = 0;
    for (unsigned i = 0; i < len; ++i) r |= ((code >> i) & 1) << (len - 1 - i);
    return r;
}

// Decodes from a preloaded bit buffer (never asks for input): the cell and the bits used.
struct TDecoded {
    TDecodeEntry Cell;
    unsigned Used;
};
TDecoded DecodeBits(const TDecodeEntry* table, unsigned bits, uint32_t stream, bool inverted = false) {
    TExtractContext ctx;  // CompressedLeft 0: a refill would deliver nothing
    TBitReader reader;
    reader.Buf = stream;
    reader.Count = 31;
    const TDecodeEntry cell = reader.Decode(ctx, table, bits, inverted);
    EXPECT_EQ(ctx.CompressedLeft, 0) << "the decoder asked for input";
    return {cell, 31u - reader.Count};
}

// Every link of every level leads to a table of at most `bits` index bits.
void ExpectSubTablesWithin(const TDecodeEntry* table, unsigned tableBits, unsigned bits) {
    for (uint32_t i = 0; i < (1u << tableBits); ++i) {
        const TDecodeEntry& e = table[i];
        if (e.Op > DecodeOpLink && e.Op != DecodeOpInvalid) {
            ASSERT_LE(e.Op - DecodeOpLink, static_cast<int>(bits));
            EXPECT_EQ(e.Bits, tableBits);
            ExpectSubTablesWithin(e.Link, e.Op - DecodeOpLink, bits);
        }
    }
}

// Random complete code: split random leaves of a code tree until there are `symbols` leaves.
std::vector<uint8_t> RandomCompleteLengths(std::mt19937& rng, unsigned n, unsigned symbols, unsigned maxLen) {
    std::vector<uint8_t> depths{0};
    while (depths.size() < symbols) {
        const size_t pick = rng() % depths.size();
        if (depths[pick] >= maxLen) continue;
        const uint8_t d = static_cast<uint8_t>(depths[pick] + 1);
        depths[pick] = d;
        depths.push_back(d);
    }
    std::vector<uint8_t> lengths(n, 0);
    std::vector<unsigned> slots(n);
    for (unsigned i = 0; i < n; ++i) slots[i] = i;
    std::shuffle(slots.begin(), slots.end(), rng);
    for (size_t i = 0; i < depths.size(); ++i) lengths[slots[i]] = depths[i];
    return lengths;
}


// Bases and extra bits for up to 30 symbols from s on.
const uint16_t TestBase[30] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27,
                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 300};
const uint8_t TestExtra[30] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 13};

}  // namespace

TEST(DecodeTable, EveryCodeOfRandomCompleteCodesDecodes) {
    std::mt19937 rng(1951);
    for (int round = 0; round < 300; ++round) {
        const unsigned n = 2 + rng() % (MaxCodeSymbols - 1);
        const unsigned symbols = 2 + rng() % (n - 1);
        const unsigned maxLen = 15 + round % 2;
        std::vector<uint8_t> lengths = RandomCompleteLengths(rng, n, symbols, maxLen);
        const unsigned s = n > 30 ? n - 30 : 0;
        unsigned bits = 1 + rng() % 10;
        const unsigned requested = bits;
        TDecodeEntry* table = nullptr;
        ASSERT_EQ(BuildDecodeTable(lengths.data(), n, s, TestBase, TestExtra, table, bits), brComplete);
        ASSERT_NE(table, nullptr);
        const unsigned shortest = *std::min_element(lengths.begin(), lengths.end(), [](uint8_t a, uint8_t b) {
            return (a ? a : 99) < (b ? b : 99);
        });
        const unsigned longest = *std::max_element(lengths.begin(), lengths.end());
        EXPECT_EQ(bits, std::clamp(requested, shortest, longest));
        ExpectSubTablesWithin(table, bits, bits);

        const std::vector<uint32_t> codes = CanonicalCodes(lengths);
        for (unsigned sym = 0; sym < n; ++sym) {
            if (!lengths[sym]) continue;
            const uint32_t junk = static_cast<uint32_t>(rng()) << lengths[sym];
            const TDecoded d = DecodeBits(table, bits, (Reverse(codes[sym], lengths[sym]) | junk) & 0x7FFFFFFF);
            ASSERT_EQ(d.Used, lengths[sym]) << "symbol " << sym << " round " << round;
            if (sym < s) {
                EXPECT_EQ(d.Cell.Op, sym < 256 ? DecodeOpLiteral : DecodeOpEndOfBlock);
                EXPECT_EQ(d.Cell.Value, sym);
            } else {
                EXPECT_EQ(d.Cell.Op, TestExtra[sym - s]);
                EXPECT_EQ(d.Cell.Value, TestBase[sym - s]);
            }
            // The same code stored bit-inverted (Implode) decodes the same way.
            const TDecoded inv = DecodeBits(table, bits, ~(Reverse(codes[sym], lengths[sym]) | junk) & 0x7FFFFFFF, true);
            EXPECT_EQ(inv.Used, lengths[sym]);
            EXPECT_EQ(inv.Cell.Value, d.Cell.Value);
        }
        ReleaseDecodeTables(table);
    }
}

TEST(DecodeTable, ResultsAndTheSpareCodeSpace) {
    struct Case {
        const char* what;
        std::vector<uint8_t> lengths;
        unsigned bits;
        TBuildResult result;
        unsigned bitsOut;
    } cases[] = {
        {"complete", {2, 1, 3, 3}, 7, brComplete, 3},
        {"one code missing", {2, 1, 3, 0}, 7, brIncomplete, 3},
        {"a single code of one bit", {0, 1, 0}, 7, brComplete, 1},
        {"a single code of two bits", {0, 2}, 7, brIncomplete, 2},
        {"three codes of one bit", {1, 1, 1}, 7, brOversubscribed, 0},
        {"over-subscribed at the longest length only", {1, 2, 2, 2}, 7, brOversubscribed, 0},
        {"over-subscribed in the middle, completed later", {2, 2, 2, 2, 2, 3}, 7, brOversubscribed, 0},
        {"all lengths 0", {0, 0, 0}, 7, brComplete, 0},
        {"a length above 16", {1, 17}, 7, brOversubscribed, 0},
        {"lookup bits raised to the shortest length", {3, 3, 3, 3, 3, 3, 3, 3}, 1, brComplete, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDecodeEntry* table = reinterpret_cast<TDecodeEntry*>(&table);  // must be overwritten
        unsigned bits = c.bits;
        EXPECT_EQ(BuildDecodeTable(c.lengths.data(), static_cast<unsigned>(c.lengths.size()), 256, nullptr,
                                   nullptr, table, bits),
                  c.result);
        if (c.result == brComplete || c.result == brIncomplete) {
            EXPECT_EQ(bits, c.bitsOut);
            EXPECT_EQ(table == nullptr, c.bitsOut == 0);
        } else {
            EXPECT_EQ(table, nullptr);
        }
        ReleaseDecodeTables(table);
    }
}

TEST(DecodeTable, CodesNoSymbolOwnsAreInvalidCells) {
    // One code of one bit: "0" decodes, "1" is invalid.
    const uint8_t single[] = {0, 0, 1};
    TDecodeEntry* table = nullptr;
    unsigned bits = 6;
    ASSERT_EQ(BuildDecodeTable(single, 3, 0, TestBase, TestExtra, table, bits), brComplete);
    EXPECT_EQ(DecodeBits(table, bits, 0).Cell.Value, TestBase[2]);
    EXPECT_EQ(DecodeBits(table, bits, 1).Cell.Op, DecodeOpInvalid);
    ReleaseDecodeTables(table);

    // The fixed distance code of Deflate: 30 codes of 5 bits, 30 and 31 unused.
    std::vector<uint8_t> fixed(30, 5);
    bits = 5;
    ASSERT_EQ(BuildDecodeTable(fixed.data(), 30, 0, TestBase, TestExtra, table, bits), brIncomplete);
    EXPECT_EQ(DecodeBits(table, bits, Reverse(30, 5)).Cell.Op, DecodeOpInvalid);
    EXPECT_EQ(DecodeBits(table, bits, Reverse(31, 5)).Cell.Op, DecodeOpInvalid);
    EXPECT_NE(DecodeBits(table, bits, Reverse(29, 5)).Cell.Op, DecodeOpInvalid);
    ReleaseDecodeTables(table);

    // An incomplete code whose spare space lies in a sub-table.
    std::vector<uint8_t> deep = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // 1/4096 of the space unused
    bits = 3;
    ASSERT_EQ(BuildDecodeTable(deep.data(), 12, 12, nullptr, nullptr, table, bits), brIncomplete);
    ExpectSubTablesWithin(table, bits, 3);
    const TDecoded spare = DecodeBits(table, bits, 0xFFF);  // twelve 1 bits
    EXPECT_EQ(spare.Cell.Op, DecodeOpInvalid);
    const TDecoded last = DecodeBits(table, bits, 0x7FF);  // symbol 11: eleven 1s and a 0
    EXPECT_EQ(last.Cell.Value, 11u);
    EXPECT_EQ(last.Used, 12u);
    ReleaseDecodeTables(table);

    // An empty table decodes nothing.
    TExtractContext ctx;
    TBitReader reader;
    EXPECT_EQ(reader.Decode(ctx, nullptr, 0).Op, DecodeOpInvalid);
}

TEST(DecodeTable, RunningOutOfMemoryShowsTheMessageOnceAndLeavesNothing) {
    TRecordingDialogs dialogs;
    std::vector<TMessageBoxRequest>& shown = dialogs.Boxes;
    // Lengths 1..15 plus a second 15 with 4 lookup bits: four blocks, three of them sub-tables.
    std::vector<uint8_t> lengths;
    for (uint8_t l = 1; l <= 15; ++l) lengths.push_back(l);
    lengths.push_back(15);
    for (int failAt = 0; failAt < 4; ++failAt) {
        SCOPED_TRACE(failAt);
        shown.clear();
        int allocations = 0;
        SetDecodeTableFault([&] { return allocations++ == failAt; });
        TDecodeEntry* table = nullptr;
        unsigned bits = 4;
        EXPECT_EQ(BuildDecodeTable(lengths.data(), 16, 16, nullptr, nullptr, table, bits), brOutOfMemory);
        EXPECT_EQ(table, nullptr);  // what was built is freed (the sanitizer build checks for leaks)
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].Text, "*** inflate out of memory ***");
        EXPECT_EQ(shown[0].Caption, "Error");
        EXPECT_EQ(shown[0].Buttons, mbOK);
    }
    SetDecodeTableFault(nullptr);
}
