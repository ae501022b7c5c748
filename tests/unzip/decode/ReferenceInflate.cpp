// A direct reading of the design: FillBits/DropBits through ReadByte and LastByte, one byte
// of the window at a time. It shares BuildDecodeTable and TBitReader with the product.
#include "tests/unzip/decode/ReferenceInflate.h"

#include "unzip/decode/BitReader.h"
#include "unzip/decode/DecodeTable.h"

#include <algorithm>

namespace {

const uint16_t LBase[31] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27, 31,
                            35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 0,  0};
const uint8_t LExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
const uint16_t DBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                            193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t DExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t Order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct TRef {
    TExtractContext& Ctx;
    uint8_t* Window;
    uint16_t Wp = 0;
    TBitReader R;

    void Put(uint8_t b) {
        Window[Wp++] = b;
        if (Wp == 32768) {
            FlushWindow(Ctx, Window, 32768);
            Wp = 0;
        }
    }
    int Codes(TDecodeEntry* tl, TDecodeEntry* td, unsigned bl, unsigned bd) {
        for (;;) {
            const TDecodeEntry e = R.Decode(Ctx, tl, bl);
            if (e.Op == DecodeOpInvalid) return 1;
            if (e.Op == DecodeOpLiteral) {
                Put(static_cast<uint8_t>(e.Value));
                continue;
            }
            if (e.Op == DecodeOpEndOfBlock) return 0;
            unsigned length = e.Value + R.Take(Ctx, e.Op);
            const TDecodeEntry d = R.Decode(Ctx, td, bd);
            if (d.Op == DecodeOpInvalid) return 1;
            const unsigned distance = d.Value + R.Take(Ctx, d.Op);
            uint16_t src = static_cast<uint16_t>(Wp - distance);
            while (length--) Put(Window[src++ & 32767]);
        }
    }
    int Block(bool& last) {
        last = R.Take(Ctx, 1);
        const unsigned type = R.Take(Ctx, 2);
        if (type == 0) {
            R.Drop(R.Count % 8);
            const unsigned n = R.Take(Ctx, 16);
            if (R.Take(Ctx, 16) != (~n & 0xFFFF)) return 1;
            for (unsigned i = 0; i < n; ++i) Put(static_cast<uint8_t>(R.Take(Ctx, 8)));
            return 0;
        }
        uint8_t ll[316] = {};
        struct THold {
            TDecodeEntry *L = nullptr, *D = nullptr;
            ~THold() { ReleaseDecodeTables(L), ReleaseDecodeTables(D); }
        } hold;
        TDecodeEntry *&tl = hold.L, *&td = hold.D;
        unsigned bl, bd;
        int r;
        if (type == 1) {
            for (unsigned i = 0; i < 288; ++i) ll[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
            bl = 7;
            if ((r = BuildDecodeTable(ll, 288, 257, LBase, LExtra, tl, bl)) != 0) return r;
            std::fill(ll, ll + 30, 5);
            bd = 5;
            if ((r = BuildDecodeTable(ll, 30, 0, DBase, DExtra, td, bd)) > 1) return r;
            r = Codes(tl, td, bl, bd);
        } else if (type == 2) {
            const unsigned nl = 257 + R.Take(Ctx, 5), nd = 1 + R.Take(Ctx, 5), nb = 4 + R.Take(Ctx, 4);
            if (nl > 286 || nd > 30) return 1;
            for (unsigned j = 0; j < nb; ++j) ll[Order[j]] = static_cast<uint8_t>(R.Take(Ctx, 3));
            bl = 7;
            if ((r = BuildDecodeTable(ll, 19, 19, nullptr, nullptr, tl, bl)) != 0) return r;
            unsigned i = 0, prev = 0;
            while (i < nl + nd) {
                const TDecodeEntry e = R.Decode(Ctx, tl, bl);
                if (e.Op == DecodeOpInvalid) return 1;
                unsigned rep = 1, v = e.Value;
                if (e.Value == 16) rep = 3 + R.Take(Ctx, 2), v = prev;
                else if (e.Value == 17) rep = 3 + R.Take(Ctx, 3), v = 0;
                else if (e.Value == 18) rep = 11 + R.Take(Ctx, 7), v = 0;
                if (i + rep > nl + nd) return 1;
                while (rep--) ll[i++] = static_cast<uint8_t>(v);
                prev = v;
            }
            ReleaseDecodeTables(tl);
            tl = nullptr;
            bl = 9;
            if ((r = BuildDecodeTable(ll, nl, 257, LBase, LExtra, tl, bl)) != 0) return r;
            bd = 6;
            if ((r = BuildDecodeTable(ll + nl, nd, 0, DBase, DExtra, td, bd)) != 0)
                return r;
            r = Codes(tl, td, bl, bd) ? 1 : 0;
        } else {
            return 2;
        }
        return r;
    }
};

}  // namespace

void ReferenceInflate(TExtractContext& ctx) {
    TRef ref{ctx, ctx.WorkArea, 0, {}};
    bool last = false;
    do {
        if (ref.Block(last) != 0) return;
    } while (!last);
    FlushWindow(ctx, ctx.WorkArea, ref.Wp);
    FlushOutput(ctx);
}
