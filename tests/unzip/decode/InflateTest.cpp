// Inflate on hand-made streams: every way a block can fail, the codes no compressor writes,
// the window across entries, the size guard and running out of memory.
#include "tests/common/RecordingDialogs.h"
#include "tests/unzip/decode/DeflateWriter.h"
#include "tests/unzip/decode/MemoryExtract.h"
#include "tests/unzip/decode/ReferenceInflate.h"
#include "unzip/decode/DecodeTable.h"
#include "unzip/decode/Inflate.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// The code-length code the dynamic blocks below use: symbols 0 to 12 in 4 bits, 13 to 18 in
// 5 bits (a complete code).
std::vector<uint8_t> CodeLengthLengths() {
    std::vector<uint8_t> l(19, 4);
    for (unsigned s = 13; s < 19; ++s) l[s] = 5;
    return l;
}
const uint8_t ClOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// A dynamic block header with the given code lengths, each sent as itself (no repeats).
struct TDynamic {
    std::vector<uint8_t> Lit, Dist;
    std::vector<uint32_t> LitCodes = {}, DistCodes = {};
    void Write(TDeflateWriter& w, bool final) {
        w.Header(final, 2);                                          // final bit, type 2
        w.Bits(static_cast<uint32_t>(Lit.size() - 257), 5);          // HLIT
        w.Bits(static_cast<uint32_t>(Dist.size() - 1), 5);           // HDIST
        w.Bits(19 - 4, 4);                                           // HCLEN: all 19
        const std::vector<uint8_t> cl = CodeLengthLengths();
        for (uint8_t s : ClOrder) w.Bits(cl[s], 3);                  // code-length code lengths
        const std::vector<uint32_t> clCodes = TDeflateWriter::Canonical(cl);
        for (uint8_t l : Lit) w.Code(clCodes[l], cl[l]);             // literal/length lengths
        for (uint8_t l : Dist) w.Code(clCodes[l], cl[l]);            // distance lengths
        LitCodes = TDeflateWriter::Canonical(Lit);
        DistCodes = TDeflateWriter::Canonical(Dist);
    }
    void Symbol(TDeflateWriter& w, unsigned s) const { w.Code(LitCodes[s], Lit[s]); }
    void Distance(TDeflateWriter& w, unsigned s) const { w.Code(DistCodes[s], Dist[s]); }
};

// A complete literal/length code of 32 codes of 5 bits: the bytes 'a' to 'p' and 'A' to 'N',
// the end of block and length symbol 257 (length 3), or 'O' instead of that with literals
// only (257 lengths).
std::vector<uint8_t> SmallLiteralLengths(bool withLength = true) {
    std::vector<uint8_t> l(withLength ? 286 : 257, 0);
    for (unsigned c = 'a'; c <= 'p'; ++c) l[c] = 5;
    for (unsigned c = 'A'; c <= 'N'; ++c) l[c] = 5;
    l[256] = 5;
    l[withLength ? 257 : 'O'] = 5;
    return l;
}

void FixedLiterals(TDeflateWriter& w, const std::string& text) {
    for (unsigned char c : text) w.FixedSymbol(c);
}

std::string Decode(const std::string& stream, int32_t size, TMemoryExtract& host) {
    host.Run(Inflate, stream, size);
    return host.Output;
}


}  // namespace

// Each stream begins with a good block of literals that is not final; the bad block that
// follows ends the entry at once, so not even those bytes are written.
TEST(Inflate, BadBlocksEndTheEntryWithoutWritingAnything) {
    struct Case {
        const char* what;
        std::function<void(TDeflateWriter&)> bad;
    } cases[] = {
        {"block type 3", [](TDeflateWriter& w) { w.Header(true, 3); }},
        {"stored length and complement that do not match",
         [](TDeflateWriter& w) {
             w.Header(true, 0);   // final stored block
             w.Align();           // to the byte boundary
             w.Bits(5, 16);       // LEN
             w.Bits(0xFFFB, 16);  // NLEN: one's complement of 4, not of 5
             w.Bits(0, 40);       // the five bytes
         }},
        {"287 literal/length codes",
         [](TDeflateWriter& w) {
             w.Header(true, 2);  // final dynamic block
             w.Bits(30, 5);      // HLIT: 287 codes
             w.Bits(0, 5);       // HDIST: 1 code
             w.Bits(15, 4);      // HCLEN: 19 codes
             w.Bits(0, 57);      // code-length lengths (never read)
         }},
        {"31 distance codes",
         [](TDeflateWriter& w) {
             w.Header(true, 2);  // final dynamic block
             w.Bits(0, 5);       // HLIT: 257 codes
             w.Bits(30, 5);      // HDIST: 31 codes
             w.Bits(15, 4);      // HCLEN: 19 codes
             w.Bits(0, 57);      // code-length lengths (never read)
         }},
        {"incomplete code-length code",
         [](TDeflateWriter& w) {
             w.Header(true, 2);  // final dynamic block
             w.Bits(0, 5);       // HLIT: 257
             w.Bits(0, 5);       // HDIST: 1
             w.Bits(0, 4);       // HCLEN: 4 (symbols 16, 17, 18, 0)
             w.Bits(2, 3);       // 16: 2 bits
             w.Bits(2, 3);       // 17: 2 bits
             w.Bits(2, 3);       // 18: 2 bits
             w.Bits(0, 3);       // 0: unused; three codes of 2 bits leave a quarter spare
             w.Bits(0, 32);
         }},
        {"over-subscribed code-length code",
         [](TDeflateWriter& w) {
             w.Header(true, 2);  // final dynamic block
             w.Bits(0, 5);       // HLIT: 257
             w.Bits(0, 5);       // HDIST: 1
             w.Bits(0, 4);       // HCLEN: 4
             w.Bits(1, 3);       // 16: 1 bit
             w.Bits(1, 3);       // 17: 1 bit
             w.Bits(1, 3);       // 18: 1 bit, one too many
             w.Bits(0, 3);       // 0: unused
             w.Bits(0, 32);
         }},
        {"a repeat past the end of the lengths",
         [](TDeflateWriter& w) {
             w.Header(true, 2);  // final dynamic block
             w.Bits(0, 5);       // HLIT: 257
             w.Bits(0, 5);       // HDIST: 1 (258 lengths in all)
             w.Bits(0, 4);       // HCLEN: 4
             w.Bits(0, 3);       // 16: unused
             w.Bits(1, 3);       // 17: code 0
             w.Bits(1, 3);       // 18: code 1
             w.Bits(0, 3);       // 0: unused
             for (int i = 0; i < 2; ++i) {
                 w.Code(1, 1);   // 18
                 w.Bits(127, 7); // 138 zeros (276 after the second)
             }
             w.Bits(0, 16);
         }},
        {"over-subscribed literal/length code",
         [](TDeflateWriter& w) {
             TDynamic d{SmallLiteralLengths(), {1}};
             d.Lit['O'] = 5;  // 33 codes of 5 bits
             d.Write(w, true);
             w.Bits(0, 16);
         }},
        {"incomplete literal/length code",
         [](TDeflateWriter& w) {
             TDynamic d{SmallLiteralLengths(), {1}};
             d.Lit['N'] = 0;  // 31 codes of 5 bits
             d.Write(w, true);
             w.Bits(0, 16);
         }},
        {"fixed length code 286",
         [](TDeflateWriter& w) {
             w.Header(true, 1);   // final fixed block
             w.FixedSymbol(286);  // no such length
             w.Bits(0, 16);
         }},
        {"fixed length code 287",
         [](TDeflateWriter& w) {
             w.Header(true, 1);   // final fixed block
             w.FixedSymbol(287);  // no such length
             w.Bits(0, 16);
         }},
        {"fixed distance code 30",
         [](TDeflateWriter& w) {
             w.Header(true, 1);   // final fixed block
             w.FixedSymbol(257);  // length 3
             w.Code(30, 5);       // no such distance
             w.Bits(0, 16);
         }},
        {"fixed distance code 31",
         [](TDeflateWriter& w) {
             w.Header(true, 1);   // final fixed block
             w.FixedSymbol(257);  // length 3
             w.Code(31, 5);       // no such distance
             w.Bits(0, 16);
         }},
        {"a match with an empty distance table",
         [](TDeflateWriter& w) {
             TDynamic d{SmallLiteralLengths(), {0}};  // one distance length, 0
             d.Write(w, true);
             d.Symbol(w, 'a');  // literal
             d.Symbol(w, 257);  // length 3, and no distance can follow
             w.Bits(0, 16);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDeflateWriter w;
        w.Header(false, 1);  // a good fixed block, not final
        FixedLiterals(w, "good bytes");
        w.FixedSymbol(256);  // end of block
        c.bad(w);
        TMemoryExtract host;
        EXPECT_EQ(Decode(w.Data(), 1000, host), "");
        EXPECT_FALSE(host.Refused);
        // The yardstick stops in the same place.
        TMemoryExtract ref;
        ref.Run(ReferenceInflate, w.Data(), 1000);
        EXPECT_EQ(ref.Output, "");
        EXPECT_EQ(host.Ctx.CompressedLeft, ref.Ctx.CompressedLeft);
        EXPECT_EQ(host.Ctx.LastByte, ref.Ctx.LastByte);
    }
}

// What the window and OutBuf hold when a bad block comes is dropped, whatever went before.
TEST(Inflate, OnlyWhatWasFlushedBeforeABadBlockIsWritten) {
    TDeflateWriter w;
    w.Header(false, 1);          // fixed block, not final
    w.FixedSymbol('x');          // one literal
    for (int i = 0; i < 200; ++i)
        w.FixedMatch(258, 1);    // 51,600 copies of it: the window is flushed once
    w.FixedSymbol(256);          // end of block
    w.Header(true, 3);           // then a bad block type
    TMemoryExtract host;
    const std::string out = Decode(w.Data(), 100000, host);
    // 32,768 bytes went to OutBuf; two pieces of 16,000 were written, 768 stayed there.
    EXPECT_EQ(out, std::string(32000, 'x'));
    std::string refill = "R";
    refill += std::to_string(w.Data().size() - 1);  // CompressedLeft as ReadByte passes it
    EXPECT_EQ(host.Log, (std::vector<std::string>{refill, "W16000", "W16000"}));
}

TEST(Inflate, CodesNoCompressorWrites) {
    struct Case {
        const char* what;
        std::function<void(TDeflateWriter&)> stream;
        std::string expected;
    } cases[] = {
        {"a final stored block of length 0",
         [](TDeflateWriter& w) {
             w.Header(true, 0);  // final stored block
             w.Align();
             w.Bits(0, 16);       // LEN 0
             w.Bits(0xFFFF, 16);  // NLEN
         },
         ""},
        {"a leading 16 repeats zeros",
         [](TDeflateWriter& w) {
             std::vector<uint8_t> lit = SmallLiteralLengths();
             w.Header(true, 2);  // final dynamic block
             w.Bits(29, 5);      // HLIT: 286
             w.Bits(0, 5);       // HDIST: 1
             w.Bits(15, 4);      // HCLEN: 19
             const std::vector<uint8_t> cl = CodeLengthLengths();
             for (uint8_t s : ClOrder) w.Bits(cl[s], 3);  // code-length code lengths
             const std::vector<uint32_t> clc = TDeflateWriter::Canonical(cl);
             w.Code(clc[16], cl[16]);  // 16 first: repeats the previous length, 0 ...
             w.Bits(3, 2);             // ... 6 times: lengths 0 to 5 are 0
             for (unsigned s = 6; s < 286; ++s) w.Code(clc[lit[s]], cl[lit[s]]);
             w.Code(clc[1], cl[1]);  // the one distance code: 1 bit
             const std::vector<uint32_t> lc = TDeflateWriter::Canonical(lit);
             for (char c : std::string("abcde")) w.Code(lc[static_cast<unsigned char>(c)], 5);
             w.Code(lc[257], 5);  // length 3
             w.Code(0, 1);        // distance code 0: distance 1
             w.Code(lc[256], 5);  // end of block
         },
         "abcdeeee"},
        {"codes of up to 15 bits through sub-tables",
         [](TDeflateWriter& w) {
             // Bytes 'a' + k get k + 1 bits for k < 14; 'o' and the end of block 15 bits.
             std::vector<uint8_t> lit(257, 0);
             for (unsigned k = 0; k < 14; ++k) lit['a' + k] = static_cast<uint8_t>(k + 1);
             lit['o'] = 15;
             lit[256] = 15;
             TDynamic d{lit, {1}};
             d.Write(w, true);
             for (char c : std::string("onmlkjihgfedcbaabo")) d.Symbol(w, static_cast<unsigned char>(c));
             d.Symbol(w, 256);
         },
         "onmlkjihgfedcbaabo"},
        {"a single distance code of one bit",
         [](TDeflateWriter& w) {
             TDynamic d{SmallLiteralLengths(), {0, 0, 0, 0, 1}};  // only distance code 4: 5 or 6
             d.Write(w, true);
             for (char c : std::string("abcdef")) d.Symbol(w, static_cast<unsigned char>(c));
             d.Symbol(w, 257);  // length 3
             d.Distance(w, 4);  // distance code 4 ...
             w.Bits(1, 1);      // ... + 1: distance 6
             d.Symbol(w, 256);
         },
         "abcdefabc"},
        {"an empty distance table and only literals",
         [](TDeflateWriter& w) {
             TDynamic d{SmallLiteralLengths(false), {0}};
             d.Write(w, true);
             for (char c : std::string("ideal")) d.Symbol(w, static_cast<unsigned char>(c));
             d.Symbol(w, 256);
         },
         "ideal"},
        {"a stored block of 65,535 bytes after an empty one",
         [](TDeflateWriter& w) {
             w.Header(false, 0);  // stored block, not final
             w.Align();
             w.Bits(0, 16);       // LEN 0
             w.Bits(0xFFFF, 16);  // NLEN
             w.Header(true, 0);   // final stored block
             w.Align();
             w.Bits(65535, 16);   // LEN
             w.Bits(0, 16);       // NLEN
             for (unsigned i = 0; i < 65535; ++i) w.Bits(i % 251, 8);
         },
         [] {
             std::string s(65535, '\0');
             for (unsigned i = 0; i < 65535; ++i) s[i] = static_cast<char>(i % 251);
             return s;
         }()},
        {"a match of 258 at distance 1 across the wrap of the window",
         [](TDeflateWriter& w) {
             w.Header(true, 1);  // final fixed block
             w.FixedSymbol('q');
             for (int i = 0; i < 126; ++i) w.FixedMatch(258, 1);
             w.FixedMatch(158, 1);   // 32,667 bytes
             w.FixedSymbol('r');
             w.FixedMatch(258, 1);   // 100 bytes to 32,768, 158 from 0 on
             w.FixedSymbol(256);
         },
         std::string(32667, 'q') + std::string(259, 'r')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDeflateWriter w;
        c.stream(w);
        TMemoryExtract host;
        EXPECT_EQ(Decode(w.Data(), static_cast<int32_t>(c.expected.size()), host), c.expected);
        EXPECT_FALSE(host.Refused);
    }
}

// Every length and distance of RFC 1951, in fixed codes, against a byte-wise expansion.
TEST(Inflate, EveryLengthAndDistance) {
    TDeflateWriter w;
    w.Header(true, 1);
    std::string expected;
    uint32_t seed = 7;
    for (int i = 0; i < 40000; ++i) {  // varied bytes to copy from
        seed = seed * 1103515245 + 12345;
        const auto c = static_cast<unsigned char>(seed >> 24);
        w.FixedSymbol(c);
        expected += static_cast<char>(c);
    }
    auto match = [&](unsigned length, unsigned distance) {
        w.FixedMatch(length, distance);
        for (unsigned k = 0; k < length; ++k) expected += expected[expected.size() - distance];
    };
    for (unsigned length = 3; length <= 258; ++length) match(length, 1 + length % 40);
    for (unsigned distance = 1; distance <= 32768; distance += distance < 300 ? 1 : 97) match(3 + distance % 256, distance);
    match(258, 32768);
    w.FixedSymbol(256);
    TMemoryExtract host;
    EXPECT_EQ(Decode(w.Data(), static_cast<int32_t>(expected.size()), host), expected);
}

// Nothing compares a distance with what the entry has produced: it copies what the window
// holds, here from the entry before.
TEST(Inflate, ADistanceBeforeTheFirstByteCopiesTheWindow) {
    TMemoryExtract host;
    TDeflateWriter first;
    first.Header(true, 1);
    FixedLiterals(first, "left over and more");
    first.FixedSymbol(256);
    EXPECT_EQ(Decode(first.Data(), 18, host), "left over and more");

    TDeflateWriter second;
    second.Header(true, 1);
    second.FixedMatch(4, InflateWindowSize - 5);  // from position 0 - 32,763 = 5: "over"
    FixedLiterals(second, "!");
    // From position 9, ahead of the window position 5: the bytes there are read before this
    // copy overwrites them.
    second.FixedMatch(9, InflateWindowSize - 4);
    second.FixedSymbol(256);
    EXPECT_EQ(Decode(second.Data(), 14, host), "over! and more");
    TMemoryExtract ref;
    ref.Run(ReferenceInflate, first.Data(), 18);
    ref.Run(ReferenceInflate, second.Data(), 14);
    EXPECT_EQ(ref.Output, "over! and more");
}

// The size guard refuses the piece that would pass the uncompressed size: what was written
// before stays, nothing beyond the size ever is.
TEST(Inflate, AStreamLongerThanItsSizeNeverWritesBeyondIt) {
    TDeflateWriter w;
    w.Header(true, 1);
    w.FixedSymbol('z');
    for (int i = 0; i < 400; ++i) w.FixedMatch(258, 1);
    w.FixedSymbol(256);
    for (const int32_t size : {0, 1, 15999, 16000, 40000, 103200}) {
        SCOPED_TRACE(size);
        TMemoryExtract host;
        const std::string out = Decode(w.Data(), size, host);
        EXPECT_TRUE(host.Refused);
        EXPECT_LE(static_cast<int32_t>(out.size()), size);
        EXPECT_EQ(out, std::string(size / 16000 * 16000, 'z'));
    }
    TMemoryExtract exact;
    EXPECT_EQ(Decode(w.Data(), 103201, exact).size(), 103201u);
    EXPECT_FALSE(exact.Refused);
}

// A stream cut short is padded with copies of its last byte, and decoding ends: with
// garbage or a bad block, never with the bytes of the whole stream.
TEST(Inflate, AStreamThatEndsEarlyEnds) {
    TDeflateWriter w;
    w.Header(true, 1);
    std::string text;
    for (int i = 0; i < 3000; ++i) text += static_cast<char>('a' + i % 23);
    FixedLiterals(w, text);
    w.FixedSymbol(256);
    const std::string stream = w.Data();
    for (size_t cut : {size_t{0}, size_t{1}, size_t{2}, stream.size() / 2, stream.size() - 1}) {
        SCOPED_TRACE(cut);
        TMemoryExtract host;
        const std::string out = Decode(stream.substr(0, cut), static_cast<int32_t>(text.size()), host);
        EXPECT_NE(out, text);
        TMemoryExtract ref;
        ref.Run(ReferenceInflate, stream.substr(0, cut), static_cast<int32_t>(text.size()));
        EXPECT_EQ(out, ref.Output);
        EXPECT_EQ(host.Ctx.LastByte, ref.Ctx.LastByte);
    }
}

TEST(Inflate, OutOfMemoryShowsItsMessageOnceAndWritesNothing) {
    TRecordingDialogs dialogs;
    std::vector<TMessageBoxRequest>& shown = dialogs.Boxes;
    SetDecodeTableFault([] { return true; });
    TDeflateWriter w;
    w.Header(true, 1);
    FixedLiterals(w, "never");
    w.FixedSymbol(256);
    TMemoryExtract host;
    EXPECT_EQ(Decode(w.Data(), 5, host), "");
    SetDecodeTableFault(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "*** inflate out of memory ***");
    EXPECT_EQ(shown[0].Caption, "Error");
}
