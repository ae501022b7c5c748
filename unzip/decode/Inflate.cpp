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
inline void Copy4(uint8_t* d, const uint8_t* s) {
    uint32_t v;
    std::memcpy(&v, s, sizeof v);
    std::memcpy(d, &v, sizeof v);
}
inline void Copy16(uint8_t* d, const uint8_t* s) {
    uint8_t v[16];
    std::memcpy(v, s, sizeof v);
    std::memcpy(d, v, sizeof v);
}
inline void Copy8(uint8_t* d, const uint8_t* s) {
    uint64_t v;
    std::memcpy(&v, s, sizeof v);
    std::memcpy(d, &v, sizeof v);
}

// A match whose source lies `distance` bytes behind: the effect of copying byte by byte,
// so that a distance shorter than the length repeats the recent bytes. Never writes past
// the match: the window beyond it still holds data a later match may use.
inline void CopyBehind(uint8_t* dst, uint32_t length, uint32_t distance) {
    const uint8_t* src = dst - distance;
    uint8_t* const end = dst + length;
    if (distance >= 16 && length >= 16) {
        // Sixteen (or eight) bytes at a time, each from bytes already final; the last
        // pieces are rewritten with the same values.
        do {
            Copy16(dst, src);
            dst += 16;
            src += 16;
        } while (dst + 16 <= end);
        Copy16(end - 16, end - 16 - distance);
    } else if (distance >= 8 && length >= 8) {
        do {
            Copy8(dst, src);
            dst += 8;
            src += 8;
        } while (dst + 8 <= end);
        Copy8(end - 8, end - 8 - distance);
    } else if (distance >= 8) {  // 3 to 7 bytes, apart
        if (length >= 4) {
            Copy4(dst, src);
            Copy4(end - 4, end - 4 - distance);
        } else {
            for (uint32_t k = 0; k < length; ++k) dst[k] = src[k];
        }
    } else if (distance == 1 && length >= 8) {
        const uint64_t run = *src * uint64_t{0x0101010101010101};
        do {
            std::memcpy(dst, &run, sizeof run);
            dst += 8;
        } while (dst + 8 <= end);
        std::memcpy(end - 8, &run, sizeof run);
    } else if (length >= 16) {
        // Distances 2 to 7: the match repeats its first bytes with that period, so after
        // eight bytes the rest may come from the nearest multiple of it at least 8 back.
        static constexpr uint8_t Period[8] = {0, 8, 8, 9, 8, 10, 12, 14};
        for (uint32_t k = 0; k < 8; ++k) dst[k] = src[k];
        const uint32_t period = Period[distance];
        dst += 8;
        do {
            Copy8(dst, dst - period);
            dst += 8;
        } while (dst + 8 <= end);
        Copy8(end - 8, end - 8 - period);
    } else {
        for (uint32_t k = 0; k < length; ++k) dst[k] = src[k];
    }
}

// A match whose source lies ahead of the destination (or on it): each piece is read before
// the copy writes over it.
inline void CopyAhead(uint8_t* dst, const uint8_t* src, uint32_t length) {
    if (src - dst >= 8 && length >= 8) {
        uint8_t* const end = dst + length;
        const uint8_t* const srcEnd = src + length;
        do {
            Copy8(dst, src);
            dst += 8;
            src += 8;
        } while (dst + 8 <= end);
        Copy8(end - 8, srcEnd - 8);
    } else if (src != dst) {
        for (uint32_t k = 0; k < length; ++k) dst[k] = src[k];
    }
}

// Room for the packed copy of one table of a block (first level and sub-tables); a block
// whose tables need more is decoded the byte-wise way only.
constexpr unsigned PackedCells = 4096;

// The tables of the fast loop: the cells of BuildDecodeTable packed into 32 bits each.
struct TPackedTable {
    uint32_t Cells[PackedCells];
    unsigned Bits = 0;
};
inline unsigned PackedOp(uint32_t cell) { return (cell >> 8) & 0xFF; }

bool Pack(const TDecodeEntry* t, unsigned bits, TPackedTable& into, unsigned capacity, uint32_t& at);

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
    int FastCodes(const TPackedTable& lit, const TPackedTable& dist);
    TPackedTable FLit, FDist;
    uint32_t FPendingLength = 0, FPendingDistance = 0;  // a match the fast loop left to Copy
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
    uint32_t usedLit = 0, usedDist = 0;
    FLit.Bits = bl;
    FDist.Bits = bd;
    const bool packed = Pack(tl, bl, FLit, PackedCells, usedLit) && Pack(td, bd, FDist, PackedCells, usedDist);
    for (;;) {
        if (packed && FAvail >= RefillBytes && FWp < InflateWindowSize - 3) {
            const int r = FastCodes(FLit, FDist);
            if (r != MoreCodes) return r;
            if (FPendingLength) {
                Copy(FPendingLength, FPendingDistance);
                FPendingLength = 0;
                continue;
            }
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

// The decode loop while InBuf holds a 64-bit load: no refill, no flush, no call. Returns
// MoreCodes when it reaches the end of the input or of the window, leaving in FPendingLength
// a match that would fill the window.
int TInflater::FastCodes(const TPackedTable& lit, const TPackedTable& dist) {
    // Locals, so that the stores into the window (which may alias anything) keep them in
    // registers.
    uint64_t bits = FBits;
    unsigned count = FCount;
    const uint8_t* in = FIn;
    const uint8_t* const inLast = FIn + FAvail - RefillBytes;  // the last start of a load
    uint8_t* const window = FWindow;
    uint8_t* out = window + FWp;
    uint8_t* const windowEnd = window + InflateWindowSize;
    uint8_t* const outStop = windowEnd - 3;  // room for a run of three literals
    const uint32_t* const tl = lit.Cells;
    const uint32_t* const td = dist.Cells;
    const uint32_t ml = (1u << lit.Bits) - 1, md = (1u << dist.Bits) - 1;
    const int bl = static_cast<int>(lit.Bits), bd = static_cast<int>(dist.Bits);
    // Bits read ahead of the byte-wise reader: the least, over every need of that reader, of
    // what this loop held beyond it.
    int spare = static_cast<int>(count) - std::max(FKeep, 0);
    int result = MoreCodes;

    while (in <= inLast && out < outStop) {
        if (count < MaxPairBits) {
            spare = std::min(spare, static_cast<int>(count));
            bits |= Load64(in) << count;
            const unsigned take = (63 - count) >> 3;
            in += take;
            count += take << 3;
            spare += static_cast<int>(take << 3);
        }
        uint32_t e = tl[bits & ml];
        if (PackedOp(e) == DecodeOpLiteral) {
            // Literals come in runs: up to three per refill, each code at most 15 of the 48
            // or more bits held. Whatever follows them is looked up again after a refill.
            spare = std::min(spare, static_cast<int>(count) - bl);
            bits >>= e & 63;
            count -= e & 0xFF;
            *out++ = static_cast<uint8_t>(e >> 16);
            e = tl[bits & ml];
            if (PackedOp(e) != DecodeOpLiteral) continue;
            spare = std::min(spare, static_cast<int>(count) - bl);
            bits >>= e & 63;
            count -= e & 0xFF;
            *out++ = static_cast<uint8_t>(e >> 16);
            e = tl[bits & ml];
            if (PackedOp(e) != DecodeOpLiteral) continue;
            spare = std::min(spare, static_cast<int>(count) - bl);
            bits >>= e & 63;
            count -= e & 0xFF;
            *out++ = static_cast<uint8_t>(e >> 16);
            continue;
        }
        spare = std::min(spare, static_cast<int>(count) - bl);
        unsigned op = PackedOp(e);
        while (op > DecodeOpLink) {
            if (op == DecodeOpInvalid) {
                result = BlockBad;
                goto done;
            }
            bits >>= e & 63;
            count -= e & 0xFF;
            op -= DecodeOpLink;
            spare = std::min(spare, static_cast<int>(count - op));
            e = tl[(e >> 16) + (bits & ((1u << op) - 1))];
            op = PackedOp(e);
        }
        bits >>= e & 63;
        count -= e & 0xFF;
        if (op == DecodeOpLiteral) {
            *out++ = static_cast<uint8_t>(e >> 16);
            continue;
        }
        if (op == DecodeOpEndOfBlock) {
            result = BlockDone;
            break;
        }
        const uint32_t length = (e >> 16) + static_cast<uint32_t>(bits & ((1u << op) - 1));
        bits >>= op;
        count -= op;

        spare = std::min(spare, static_cast<int>(count) - bd);
        e = td[bits & md];
        op = PackedOp(e);
        while (op > DecodeOpLink) {
            if (op == DecodeOpInvalid) {
                result = BlockBad;
                goto done;
            }
            bits >>= e & 63;
            count -= e & 0xFF;
            op -= DecodeOpLink;
            spare = std::min(spare, static_cast<int>(count - op));
            e = td[(e >> 16) + (bits & ((1u << op) - 1))];
            op = PackedOp(e);
        }
        bits >>= e & 63;
        count -= e & 0xFF;
        const uint32_t distance = (e >> 16) + static_cast<uint32_t>(bits & ((1u << op) - 1));
        bits >>= op;
        count -= op;

        if (length >= static_cast<uint32_t>(windowEnd - out)) {
            // The match fills the window: Copy moves it after this loop and flushes.
            FPendingLength = length;
            FPendingDistance = distance;
            break;
        }
        uint8_t* dst = out;
        out += length;
        const auto wp = static_cast<uint32_t>(dst - window);
        if (distance <= wp) {
            CopyBehind(dst, length, distance);
        } else {
            // The source starts in what the window held before it last wrapped, ahead of
            // the destination; where it reaches the end of the window it goes on at its start.
            const uint32_t from = wp + InflateWindowSize - distance;
            const uint32_t first = std::min(length, InflateWindowSize - from);
            CopyAhead(dst, window + from, first);
            if (first < length) CopyBehind(dst + first, length - first, wp + first);
        }
    }
done:
    spare = std::min(spare, static_cast<int>(count));
    {
        // Give back the whole bytes the byte-wise reader would not have read by now.
        const unsigned back = spare > 0 ? static_cast<unsigned>(spare) >> 3 : 0;
        in -= back;
        count -= back << 3;
        FKeep = static_cast<int>(count) - (spare - static_cast<int>(back << 3));
    }
    FBits = bits & ((uint64_t{1} << count) - 1);  // also drops the bits of a partly loaded byte
    FCount = count;
    FAvail -= static_cast<uint32_t>(in - FIn);
    FIn = in;
    FWp = static_cast<uint32_t>(out - window);
    return result;
}

// Packs a table and its sub-tables into cells of 32 bits: the bit count in bits 0 to 7, the
// operation in 8 to 15, the value (or the index of a sub-table) in 16 to 31. False when they
// do not fit.
bool Pack(const TDecodeEntry* t, unsigned bits, TPackedTable& into, unsigned capacity, uint32_t& at) {
    const uint32_t start = at;
    const uint32_t size = 1u << bits;
    if (at + size > capacity) return false;
    at += size;
    for (uint32_t i = 0; i < size; ++i) {
        const TDecodeEntry& e = t[i];
        uint32_t value = e.Value;
        if (e.Op > DecodeOpLink && e.Op != DecodeOpInvalid) {
            value = at;
            if (!Pack(e.Link, e.Op - DecodeOpLink, into, capacity, at)) return false;
        } else if (e.Op == DecodeOpInvalid) {
            value = 0;
        }
        into.Cells[start + i] = value << 16 | static_cast<uint32_t>(e.Op) << 8 | e.Bits;
    }
    return true;
}

}  // namespace

void Inflate(TExtractContext& ctx) {
    TInflater inflater(ctx);
    inflater.Run();
}
