// The Shrink and Reduce bit reader's refill; see LegacyBits.h.
#include "unzip/decode/LegacyBits.h"

namespace {
constexpr uint16_t RefillBelow = 25;  // a refill stops once 25 or more bits are valid
}

void FillBitBuf(TExtractContext& ctx) {
    ctx.InputEnded = true;
    uint16_t b = 0;
    while (ctx.BitCount < RefillBelow && ReadByte(ctx, b) != 0) {
        ctx.BitBuf |= static_cast<uint32_t>(b & 0xFF) << ctx.BitCount;
        ctx.BitCount = static_cast<uint16_t>(ctx.BitCount + 8);
        ctx.InputEnded = false;
    }
}
