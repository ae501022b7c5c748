// The bit reader of the Shrink and Reduce decoders: least significant bit first, on the
// context's BitBuf / BitCount, refilled through ReadByte. InputEnded tells the decoders that
// a refill found the entry's compressed data used up.
#pragma once

#include "unzip/decode/ExtractContext.h"

// Tops BitBuf up to at least 25 valid bits while ReadByte delivers; InputEnded stays set
// only when no byte at all came.
void FillBitBuf(TExtractContext& ctx);

// The next n bits (1 to 13). When the data ends inside them the missing bits read as zero
// and the reservoir is left empty, so that the next read finds the end at once instead of
// running on a wrapped bit count.
inline uint32_t ReadBits(TExtractContext& ctx, unsigned n) {
    if (n > ctx.BitCount) {
        FillBitBuf(ctx);
        if (n > ctx.BitCount) {
            const uint32_t rest = ctx.BitBuf & ((1u << n) - 1);
            ctx.BitBuf = 0;
            ctx.BitCount = 0;
            return rest;
        }
    }
    const uint32_t result = ctx.BitBuf & ((1u << n) - 1);
    ctx.BitBuf >>= n;
    ctx.BitCount = static_cast<uint16_t>(ctx.BitCount - n);
    return result;
}

// Empties the reservoir at the start of a decoder.
inline void ResetBitBuf(TExtractContext& ctx) {
    ctx.BitBuf = 0;
    ctx.BitCount = 0;
    ctx.InputEnded = false;
}
