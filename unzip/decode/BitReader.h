// The bit reader of the Deflate and Implode decoders: bits least significant first, refilled
// a byte at a time through ReadByte. It puts LastByte into the buffer whether or not a new
// byte came, so past the end of the entry's data it reads copies of the last byte delivered.
#pragma once

#include "unzip/decode/DecodeTable.h"
#include "unzip/decode/ExtractContext.h"

#include <cstdint>

struct TBitReader {
    uint32_t Buf = 0;
    uint16_t Count = 0;  // valid bits in Buf

    // Makes at least n bits (n <= 24) valid.
    void Need(TExtractContext& ctx, unsigned n) {
        while (Count < n) {
            ReadByte(ctx, ctx.LastByte);
            Buf |= static_cast<uint32_t>(ctx.LastByte) << Count;
            Count = static_cast<uint16_t>(Count + 8);
        }
    }
    uint32_t Peek(unsigned n) const { return Buf & ((1u << n) - 1); }
    void Drop(unsigned n) {
        Buf >>= n;
        Count = static_cast<uint16_t>(Count - n);
    }
    uint32_t Take(TExtractContext& ctx, unsigned n) {
        Need(ctx, n);
        const uint32_t v = Peek(n);
        Drop(n);
        return v;
    }

    // Decodes one code through a table of `bits` lookup bits (as BuildDecodeTable returned
    // them) and consumes its bits. An invalid code, or any code of an empty (null) table,
    // gives a cell with Op DecodeOpInvalid and consumes nothing more. Implode codes are
    // stored bit-inverted: `inverted` indexes every level with the complement of the bits.
    const TDecodeEntry& Decode(TExtractContext& ctx, const TDecodeEntry* table, unsigned bits,
                               bool inverted = false) {
        static constexpr TDecodeEntry Invalid{DecodeOpInvalid, 0, {0}};
        if (!table) return Invalid;
        const uint32_t flip = inverted ? ~0u : 0u;
        Need(ctx, bits);
        const TDecodeEntry* e = table + ((Buf ^ flip) & ((1u << bits) - 1));
        while (e->Op > DecodeOpLink) {
            if (e->Op == DecodeOpInvalid) return *e;
            Drop(e->Bits);
            const unsigned j = e->Op - DecodeOpLink;
            Need(ctx, j);
            e = e->Link + ((Buf ^ flip) & ((1u << j) - 1));
        }
        Drop(e->Bits);
        return *e;
    }
};
