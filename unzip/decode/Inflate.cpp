// Inflate: the block structure of RFC 1951, tables built per block, and the decode loop.
// Input comes straight from InBuf while it lasts and through ReadByte (refill, padding with
// LastByte) only where a byte-wise reader would need a byte, so refills, and with them window
// messages, volume changes and read errors, happen at the same points of the stream.
#include "unzip/decode/Inflate.h"

#include "unzip/decode/DecodeTable.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr uint32_t WindowMask = InflateWindowSize - 1;
constexpr uint32_t MaxMatch = 258;
constexpr unsigned MaxLiteralCodes = 286;
constexpr unsigned MaxDistanceCodes = 30;
constexpr unsigned CodeLengthCodes = 19;
constexpr unsigned FixedLiteralCodes = 288;
constexpr unsigned FixedDistanceCodes = 30;
constexpr unsigned LiteralCodes = 257;  // literals and the end of block; lengths follow
// Bits a length and distance pair can take: code 15 + extra 5 + code 15 + extra 13.
constexpr unsigned MaxPairBits = 48;
constexpr unsigned RefillBytes = 8;  // one 64-bit load

// Block results, as the build results they may pass on.
constexpr int BlockDone = brComplete;
constexpr int BlockBad = brIncomplete;     // invalid code, bad lengths, failed length check
constexpr int BlockBadType = brOversubscribed;
constexpr int MoreCodes = -1;

// Lengths 3 to 258 for symbols 257 to 285; 286 and 287 (fixed codes only) are invalid.
const uint16_t LengthBase[31] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27, 31,
                                 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 0,  0};
const uint8_t LengthExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, DecodeOpInvalid, DecodeOpInvalid};
const uint16_t DistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                   193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t DistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t CodeLengthOrder[CodeLengthCodes] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Stands in for a table that BuildDecodeTable left empty (all lengths 0): every code is invalid.
const TDecodeEntry EmptyTable[1] = {{DecodeOpInvalid, 0, {0}}};

inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}
inline void Copy8(uint8_t* d, const uint8_t* s) {
    uint64_t v;
    std::memcpy(&v, s, sizeof v);
    std::memcpy(d, &v, sizeof v);
}

// The tables of one block, released however the block ends.
struct TBlockTables {
    TDecodeEntry* Literal = nullptr;
    TDecodeEntry* Distance = nullptr;
    ~TBlockTables() {
        ReleaseDecodeTables(Literal);
        ReleaseDecodeTables(Distance);
    }
};

class TInflater {
public:
    explicit TInflater(TExtractContext& ctx) : FCtx(ctx), FWindow(ctx.WorkArea) { Load(); }
    void Run();

private:
    TExtractContext& FCtx;
    uint8_t* const FWindow;
    uint32_t FWp = 0;  // window position
    // The bit buffer. The byte-wise reader holds at most 23 bits; the fast loop reads ahead
    // up to 63 and gives back, when it ends, the whole bytes that reader would not have read.
    uint64_t FBits = 0;
    unsigned FCount = 0;
    // Bits beyond the consumed ones that the byte-wise reader has been asked for (may be
    // negative after the alignment of a stored block): what decides how far it has read.
    int FKeep = 0;
    const uint8_t* FIn = nullptr;      // next byte of InBuf
    const uint8_t* FSynced = nullptr;  // InPos as the context last saw it
    uint32_t FAvail = 0;               // bytes ReadByte would hand out of InBuf without a refill

    void Load() {
        FIn = FSynced = FCtx.InPos;
        FAvail = FCtx.CompressedLeft > 0 ? std::min<uint32_t>(FCtx.InCount, static_cast<uint32_t>(FCtx.CompressedLeft)) : 0;
    }
    // Brings InPos, InCount, CompressedLeft and LastByte up to what has been read, as if
    // each byte had come through ReadByte.
    void Sync() {
        const auto taken = static_cast<uint32_t>(FIn - FSynced);
        if (taken == 0) return;
        FCtx.InPos += taken;
        FCtx.InCount = static_cast<uint16_t>(FCtx.InCount - taken);
        FCtx.CompressedLeft -= static_cast<int32_t>(taken);
        FCtx.LastByte = FIn[-1];
        FSynced = FIn;
    }
    [[gnu::noinline]] uint32_t ReadThroughContext() {
        Sync();
        ReadByte(FCtx, FCtx.LastByte);  // past the end of the data: LastByte again
        Load();
        return FCtx.LastByte;
    }
    void Need(unsigned n) {
        if (FKeep < static_cast<int>(n)) FKeep = static_cast<int>(n);
        while (FCount < n) {
            uint32_t b;
            if (FAvail) {
                b = *FIn++;
                --FAvail;
            } else {
                b = ReadThroughContext();
            }
            FBits |= static_cast<uint64_t>(b) << FCount;
            FCount += 8;
        }
    }
    void Drop(unsigned n) {
        FBits >>= n;
        FCount -= n;
        FKeep -= static_cast<int>(n);
    }
    uint32_t Take(unsigned n) {
        Need(n);
        const auto v = static_cast<uint32_t>(FBits & ((1u << n) - 1));
        Drop(n);
        return v;
    }

    void FlushFullWindow() {
        Sync();
        FlushWindow(FCtx, FWindow, InflateWindowSize);
        FWp = 0;
    }

    int Block(bool& last);
    int Stored();
    int Fixed();
    int Dynamic();
    int Codes(const TDecodeEntry* tl, const TDecodeEntry* td, unsigned bl, unsigned bd);
    int FastCodes(const TDecodeEntry* tl, const TDecodeEntry* td, unsigned bl, unsigned bd);
    const TDecodeEntry* Decode(const TDecodeEntry* table, unsigned bits);
    void Copy(uint32_t length, uint32_t distance);
};

void TInflater::Run() {
    bool last = false;
    do {
        if (Block(last) != BlockDone) {
            Sync();
            return;
        }
    } while (!last);
    Sync();
    FlushWindow(FCtx, FWindow, FWp);
    FlushOutput(FCtx);
}

int TInflater::Block(bool& last) {
    last = Take(1) != 0;
    switch (Take(2)) {
        case 0: return Stored();
        case 1: return Fixed();
        case 2: return Dynamic();
        default: return BlockBadType;
    }
}

int TInflater::Stored() {
    Drop(FCount & 7);
    const uint32_t length = Take(16);
    if (Take(16) != (~length & 0xFFFF)) return BlockBad;
    uint32_t left = length;
    while (left) {
        if (FCount == 0 && FAvail) {
            // Byte-aligned with nothing buffered: the bytes the reader would take one by one.
            const uint32_t n = std::min({left, FAvail, InflateWindowSize - FWp});
            std::memcpy(FWindow + FWp, FIn, n);
            FIn += n;
            FAvail -= n;
            FWp += n;
            left -= n;
            FKeep = 0;  // as after the last of those bytes came through Take(8)
        } else {
            FWindow[FWp++] = static_cast<uint8_t>(Take(8));
            --left;
        }
        if (FWp == InflateWindowSize) FlushFullWindow();
    }
    return BlockDone;
}

int TInflater::Fixed() {
    uint8_t lengths[FixedLiteralCodes];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + FixedLiteralCodes, 8);
    TBlockTables t;
    unsigned bl = FixedLiteralBits, bd = FixedDistanceBits;
    int r = BuildDecodeTable(lengths, FixedLiteralCodes, LiteralCodes, LengthBase, LengthExtra, t.Literal, bl);
    if (r != brComplete) return r;
    std::fill(lengths, lengths + FixedDistanceCodes, 5);
    // Distance codes 30 and 31 have no symbol: the code is incomplete by design.
    r = BuildDecodeTable(lengths, FixedDistanceCodes, 0, DistanceBase, DistanceExtra, t.Distance, bd);
    if (r > brIncomplete) return r;
    return Codes(t.Literal, t.Distance, bl, bd);
}

int TInflater::Dynamic() {
    const unsigned nl = LiteralCodes + Take(5);
    const unsigned nd = 1 + Take(5);
    const unsigned nb = 4 + Take(4);
    if (nl > MaxLiteralCodes || nd > MaxDistanceCodes) return BlockBad;

    uint8_t lengths[MaxLiteralCodes + MaxDistanceCodes] = {};
    for (unsigned j = 0; j < nb; ++j) lengths[CodeLengthOrder[j]] = static_cast<uint8_t>(Take(3));
    TBlockTables t;
    unsigned bits = CodeLengthBits;
    int r = BuildDecodeTable(lengths, CodeLengthCodes, CodeLengthCodes, nullptr, nullptr, t.Literal, bits);
    if (r != brComplete) return r;

    const unsigned total = nl + nd;
    unsigned i = 0, previous = 0;
    const TDecodeEntry* lengthTable = t.Literal ? t.Literal : EmptyTable;
    while (i < total) {
        // Lengths of the code-length code are at most 7, so its cells are never links; a
        // missing table or the spare half of a one-code table is refused as an invalid code.
        const TDecodeEntry* e = Decode(lengthTable, bits);
        if (!e) return BlockBad;
        unsigned symbol = e->Value, repeat = 1, value = symbol;
        if (symbol == 16) {
            repeat = 3 + Take(2);
            value = previous;
        } else if (symbol == 17) {
            repeat = 3 + Take(3);
            value = 0;
        } else if (symbol == 18) {
            repeat = 11 + Take(7);
            value = 0;
        }
        if (i + repeat > total) return BlockBad;
        std::fill(lengths + i, lengths + i + repeat, static_cast<uint8_t>(value));
        i += repeat;
        previous = symbol == 16 ? previous : value;
    }
    ReleaseDecodeTables(t.Literal);
    t.Literal = nullptr;

    unsigned bl = DynamicLiteralBits, bd = DynamicDistanceBits;
    r = BuildDecodeTable(lengths, nl, LiteralCodes, LengthBase, LengthExtra, t.Literal, bl);
    if (r != brComplete) return r;
    r = BuildDecodeTable(lengths + nl, nd, 0, DistanceBase, DistanceExtra, t.Distance, bd);
    if (r != brComplete) return r;
    return Codes(t.Literal, t.Distance, bl, bd) == BlockDone ? BlockDone : BlockBad;
}

// One code through a table, the byte-wise way; null for an invalid code.
const TDecodeEntry* TInflater::Decode(const TDecodeEntry* table, unsigned bits) {
    Need(bits);
    const TDecodeEntry* e = table + (FBits & ((1u << bits) - 1));
    while (e->Op > DecodeOpLink) {
        if (e->Op == DecodeOpInvalid) return nullptr;
        Drop(e->Bits);
        const unsigned j = e->Op - DecodeOpLink;
        Need(j);
        e = e->Link + (FBits & ((1u << j) - 1));
    }
    Drop(e->Bits);
    return e;
}

// A match the general way: in pieces that end at the end of the window (of either source or
// destination), flushing when the window is full.
void TInflater::Copy(uint32_t length, uint32_t distance) {
    uint32_t src = (FWp - distance) & WindowMask;
    while (length) {
        const uint32_t piece = std::min(length, InflateWindowSize - std::max(src, FWp));
        uint8_t* d = FWindow + FWp;
        const uint8_t* s = FWindow + src;
        if (src < FWp && FWp - src >= piece) {
            std::memcpy(d, s, piece);
        } else if (src > FWp) {
            std::memmove(d, s, piece);  // the source runs ahead of what this copy writes
        } else if (src < FWp) {
            for (uint32_t k = 0; k < piece; ++k) d[k] = s[k];  // repeats the recent bytes
        }
        // src == FWp: a distance of 32,768 copies every byte onto itself.
        FWp += piece;
        src = (src + piece) & WindowMask;
        length -= piece;
        if (FWp == InflateWindowSize) FlushFullWindow();
    }
}

int TInflater::Codes(const TDecodeEntry* tl, const TDecodeEntry* td, unsigned bl, unsigned bd) {
    if (!tl) tl = EmptyTable;
    if (!td) td = EmptyTable;
    for (;;) {
        if (FAvail >= RefillBytes && FWp < InflateWindowSize - MaxMatch) {
            const int r = FastCodes(tl, td, bl, bd);
            if (r != MoreCodes) return r;
        }
        const TDecodeEntry* e = Decode(tl, bl);
        if (!e) return BlockBad;
        if (e->Op == DecodeOpLiteral) {
            FWindow[FWp++] = static_cast<uint8_t>(e->Value);
            if (FWp == InflateWindowSize) FlushFullWindow();
            continue;
        }
        if (e->Op == DecodeOpEndOfBlock) return BlockDone;
        const uint32_t length = e->Value + Take(e->Op);
        const TDecodeEntry* d = Decode(td, bd);
        if (!d) return BlockBad;
        Copy(length, d->Value + Take(d->Op));
    }
}

// The decode loop while the window has room for a longest match and InBuf holds a 64-bit
// load: no refill, no flush, no call. Returns MoreCodes when it reaches either limit.
int TInflater::FastCodes(const TDecodeEntry* tl, const TDecodeEntry* td, unsigned bl, unsigned bd) {
    // Locals, so that the stores into the window (which may alias anything) keep them in
    // registers.
    uint64_t bits = FBits;
    unsigned count = FCount;
    const uint8_t* in = FIn;
    uint32_t avail = FAvail;
    uint8_t* const window = FWindow;
    uint32_t wp = FWp;
    const uint32_t ml = (1u << bl) - 1, md = (1u << bd) - 1;
    // Bits read ahead of the byte-wise reader: the least, over every need of that reader, of
    // what this loop held beyond it.
    int spare = static_cast<int>(count) - std::max(FKeep, 0);
    int result = MoreCodes;

    while (avail >= RefillBytes && wp < InflateWindowSize - MaxMatch) {
        if (count < MaxPairBits) {
            spare = std::min(spare, static_cast<int>(count));
            bits |= Load64(in) << count;
            const unsigned take = (63 - count) >> 3;
            in += take;
            avail -= take;
            count += take << 3;
            spare += static_cast<int>(take << 3);
        }
        spare = std::min(spare, static_cast<int>(count - bl));
        const TDecodeEntry* e = tl + (bits & ml);
        unsigned op = e->Op;
        while (op > DecodeOpLink) {
            if (op == DecodeOpInvalid) {
                result = BlockBad;
                goto done;
            }
            bits >>= e->Bits;
            count -= e->Bits;
            op -= DecodeOpLink;
            spare = std::min(spare, static_cast<int>(count - op));
            e = e->Link + (bits & ((1u << op) - 1));
            op = e->Op;
        }
        bits >>= e->Bits;
        count -= e->Bits;
        if (op == DecodeOpLiteral) {
            window[wp++] = static_cast<uint8_t>(e->Value);
            continue;
        }
        if (op == DecodeOpEndOfBlock) {
            result = BlockDone;
            break;
        }
        const uint32_t length = e->Value + static_cast<uint32_t>(bits & ((1u << op) - 1));
        bits >>= op;
        count -= op;

        spare = std::min(spare, static_cast<int>(count - bd));
        e = td + (bits & md);
        op = e->Op;
        while (op > DecodeOpLink) {
            if (op == DecodeOpInvalid) {
                result = BlockBad;
                goto done;
            }
            bits >>= e->Bits;
            count -= e->Bits;
            op -= DecodeOpLink;
            spare = std::min(spare, static_cast<int>(count - op));
            e = e->Link + (bits & ((1u << op) - 1));
            op = e->Op;
        }
        bits >>= e->Bits;
        count -= e->Bits;
        const uint32_t distance = e->Value + static_cast<uint32_t>(bits & ((1u << op) - 1));
        bits >>= op;
        count -= op;

        uint8_t* dst = window + wp;
        if (distance <= wp) {
            const uint8_t* src = dst - distance;
            if (distance >= 8 && length >= 8) {
                // Eight bytes at a time, each from bytes already final; the last eight are
                // rewritten with the same values rather than written past the match, where
                // the window still holds data a later match may use.
                uint8_t* const end = dst + length;
                do {
                    Copy8(dst, src);
                    dst += 8;
                    src += 8;
                } while (dst + 8 <= end);
                Copy8(end - 8, end - 8 - distance);
            } else if (distance == 1 && length >= 8) {
                const uint64_t run = *src * uint64_t{0x0101010101010101};
                uint8_t* const end = dst + length;
                do {
                    std::memcpy(dst, &run, sizeof run);
                    dst += 8;
                } while (dst + 8 <= end);
                std::memcpy(end - 8, &run, sizeof run);
            } else {
                for (uint32_t k = 0; k < length; ++k) dst[k] = src[k];
            }
        } else {
            // The source starts in what the window held before it last wrapped.
            for (uint32_t k = 0; k < length; ++k) dst[k] = window[(wp + k - distance) & WindowMask];
        }
        wp += length;
    }
done:
    spare = std::min(spare, static_cast<int>(count));
    {
        // Give back the whole bytes the byte-wise reader would not have read by now.
        const unsigned back = spare > 0 ? static_cast<unsigned>(spare) >> 3 : 0;
        in -= back;
        avail += back;
        count -= back << 3;
        FKeep = static_cast<int>(count) - (spare - static_cast<int>(back << 3));
    }
    FBits = bits & ((uint64_t{1} << count) - 1);  // also drops the bits of a partly loaded byte
    FCount = count;
    FIn = in;
    FAvail = avail;
    FWp = wp;
    return result;
}

}  // namespace

void Inflate(TExtractContext& ctx) {
    TInflater inflater(ctx);
    inflater.Run();
}
