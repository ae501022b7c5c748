// The Shrink and Reduce bit reader's refill; see LegacyBits.h.
#include "unzip/decode/LegacyBits.h"

namespace {
constexpr uint16_t RefillBelow = 25;  // a refill stops once 25 or more bits are valid
}

void FillBitBuf(TExtractContext& ctx) {
    ctx.InputEnded = true;
    uint32_t buf = ctx.BitBuf;
    uint16_t count = ctx.BitCount;
    uint16_t b = 0;
    while (count < RefillBelow && ReadByte(ctx, b) != 0) {
        buf |= static_cast<uint32_t>(b & 0xFF) << count;
        count = static_cast<uint16_t>(count + 8);
        ctx.InputEnded = false;
    }
    ctx.BitBuf = buf;
    ctx.BitCount = count;
}
