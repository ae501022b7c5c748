// Method 6, Implode: matches of up to 321 bytes from a 4 KiB or 8 KiB dictionary, coded with
// two or three prefix codes sent as run-length coded bit lengths. Tables come from
// BuildDecodeTable, bits from the Deflate/Implode bit reader; the window lives in WorkArea.
#include "unzip/decode/BitReader.h"
#include "unzip/decode/DecodeTable.h"
#include "unzip/decode/Decoders.h"
#include "unzip/decode/SlidingWindow.h"

#include <array>

namespace {

constexpr uint32_t ExplodeWindowSize = 32768;
static_assert(ExplodeWindowSize <= WorkAreaSize);

constexpr uint16_t FlagEightK = 2;        // general purpose flag bit 1: 8 KiB dictionary
constexpr uint16_t FlagLiteralTree = 4;   // bit 2: literals are coded, shortest match 3
constexpr unsigned LiteralLookupBits = 9;
constexpr unsigned LengthLookupBits = 7;
// Larger entries get a wider first-level distance table.
constexpr int32_t WideDistanceAbove = 200000;
constexpr unsigned DistanceLookupBits = 7;
constexpr unsigned WideDistanceLookupBits = 8;

constexpr unsigned LiteralSymbols = 256;
constexpr unsigned LengthSymbols = 64;
constexpr unsigned DistanceSymbols = 64;
constexpr unsigned ExtraLengthSymbol = 63;  // followed by 8 bits added to its base
constexpr uint8_t ExtraLengthBits = 8;

struct TImplodeCodes {
    std::array<uint16_t, LengthSymbols> LengthBase[2];  // without, with a literal tree
    std::array<uint16_t, DistanceSymbols> DistanceBase[2];  // 4 KiB, 8 KiB
    std::array<uint8_t, LengthSymbols> LengthExtra;
    std::array<uint8_t, DistanceSymbols> DistanceExtra;
};

constexpr TImplodeCodes MakeCodes() {
    TImplodeCodes c{};
    for (unsigned i = 0; i < LengthSymbols; ++i) {
        c.LengthBase[0][i] = static_cast<uint16_t>(2 + i);
        c.LengthBase[1][i] = static_cast<uint16_t>(3 + i);
        c.LengthExtra[i] = i == ExtraLengthSymbol ? ExtraLengthBits : 0;
    }
    for (unsigned i = 0; i < DistanceSymbols; ++i) {
        c.DistanceBase[0][i] = static_cast<uint16_t>(1 + 64 * i);
        c.DistanceBase[1][i] = static_cast<uint16_t>(1 + 128 * i);
        c.DistanceExtra[i] = 0;
    }
    return c;
}

constexpr TImplodeCodes Codes = MakeCodes();

// The lookup tables of one entry, released however the decoder ends.
struct TExplodeTables {
    TDecodeEntry* Literal = nullptr;
    TDecodeEntry* Length = nullptr;
    TDecodeEntry* Distance = nullptr;
    unsigned LiteralBits = LiteralLookupBits;
    unsigned LengthBits = LengthLookupBits;
    unsigned DistanceBits = DistanceLookupBits;
    ~TExplodeTables() {
        ReleaseDecodeTables(Distance);
        ReleaseDecodeTables(Length);
        ReleaseDecodeTables(Literal);
    }
};

// One tree: a byte k, then k + 1 bytes each giving a bit length (low nibble + 1) for a run of
// (high nibble + 1) symbols. False unless the runs give exactly n lengths.
bool ReadTree(TExtractContext& ctx, uint8_t* lengths, unsigned n) {
    uint16_t b = 0;
    ReadByte(ctx, b);
    const unsigned bytes = (b & 0xFF) + 1u;
    unsigned done = 0;
    for (unsigned i = 0; i < bytes; ++i) {
        b = 0;
        ReadByte(ctx, b);
        const unsigned run = ((b >> 4) & 0x0F) + 1u;
        if (done + run > n) return false;
        for (unsigned k = 0; k < run; ++k) lengths[done++] = static_cast<uint8_t>((b & 0x0F) + 1);
    }
    return done == n;
}

// Reads a tree and builds its table; false when either fails (a table built is released by
// the owner of the tables).
bool ReadTable(TExtractContext& ctx, unsigned n, unsigned s, const uint16_t* base, const uint8_t* extra,
               TDecodeEntry*& table, unsigned& bits) {
    uint8_t lengths[LiteralSymbols];
    if (!ReadTree(ctx, lengths, n)) return false;
    return BuildDecodeTable(lengths, n, s, base, extra, table, bits) == brComplete;
}

}  // namespace

// Besides an invalid code, the decoder stops when its codes run past the end of the data:
// a valid stream never consumes the copies of the last byte that the bit reader supplies
// there, and a damaged one would otherwise decode garbage up to the declared size.
void Explode(TExtractContext& ctx) {
    const bool literalTree = (ctx.EntryFlags & FlagLiteralTree) != 0;
    const bool eightK = (ctx.EntryFlags & FlagEightK) != 0;
    const unsigned lowBits = eightK ? 7 : 6;

    TExplodeTables t;
    if (ctx.CompressedLeft > WideDistanceAbove) t.DistanceBits = WideDistanceLookupBits;
    if (literalTree && !ReadTable(ctx, LiteralSymbols, LiteralSymbols, nullptr, nullptr, t.Literal, t.LiteralBits))
        return;
    if (!ReadTable(ctx, LengthSymbols, 0, Codes.LengthBase[literalTree].data(), Codes.LengthExtra.data(), t.Length,
                   t.LengthBits))
        return;
    if (!ReadTable(ctx, DistanceSymbols, 0, Codes.DistanceBase[eightK].data(), Codes.DistanceExtra.data(),
                   t.Distance, t.DistanceBits))
        return;

    TBitReader bits;
    TSlidingWindow<ExplodeWindowSize> window(ctx, ctx.WorkArea);
    int64_t left = ctx.UncompressedSize;
    bool valid = true;
    while (left > 0) {
        if (bits.Take(ctx, 1) != 0) {
            uint32_t literal;
            if (literalTree) {
                const TDecodeEntry& e = bits.Decode(ctx, t.Literal, t.LiteralBits, true);
                if (e.Op == DecodeOpInvalid) {
                    valid = false;
                    break;
                }
                literal = e.Value;
            } else {
                literal = bits.Take(ctx, 8);
            }
            window.Put(static_cast<uint8_t>(literal));
            --left;
        } else {
            const uint32_t low = bits.Take(ctx, lowBits);
            const TDecodeEntry& d = bits.Decode(ctx, t.Distance, t.DistanceBits, true);
            if (d.Op == DecodeOpInvalid) {
                valid = false;
                break;
            }
            const uint32_t distance = low + d.Value;
            const TDecodeEntry& l = bits.Decode(ctx, t.Length, t.LengthBits, true);
            if (l.Op == DecodeOpInvalid) {
                valid = false;
                break;
            }
            uint32_t length = l.Value;
            if (l.Op != 0) length += bits.Take(ctx, l.Op);
            left -= length;
            window.Copy(distance, length);
        }
        if (ctx.CompressedLeft < 0 && -static_cast<int64_t>(ctx.CompressedLeft) * 8 > bits.Count) {
            valid = false;
            break;
        }
    }
    if (valid) window.Flush();
    FlushOutput(ctx);
}
