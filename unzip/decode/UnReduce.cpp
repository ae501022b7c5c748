// Methods 2 to 5, Reduce with compression factors 1 to 4: follower-set coding of bytes under
// a run-length escape that carries matches of 3 to 385 bytes up to 4 KiB back. Window and
// follower sets live in WorkArea; bits come through the Shrink/Reduce bit reader.
#include "unzip/decode/Decoders.h"
#include "unzip/decode/LegacyBits.h"
#include "unzip/decode/SlidingWindow.h"

#include <cstring>

namespace {

constexpr uint32_t ReduceWindowSize = 16384;
constexpr uint32_t FollowerRow = 64;  // a set holds at most 63 followers
constexpr uint32_t FollowerOffset = ReduceWindowSize;
static_assert(FollowerOffset + 256 * FollowerRow <= WorkAreaSize);
constexpr uint8_t Escape = 144;       // 144 starts a match; 144, 0 is the byte 144
constexpr uint32_t MinMatch = 3;

// Bits of a follower index for a set of n (1 to 63) followers; a set of one still takes a bit.
constexpr uint8_t FollowerBits[64] = {
    0, 1, 1, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
    5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6};

enum TReduceState { rsLiteral, rsEscaped, rsLengthByte, rsDistanceByte };

}  // namespace

// A stream that ends before the entry's uncompressed size is reached stops the decoder at
// the end of its data rather than decoding zero bits for the rest of the declared size; the
// output is then short and the entry fails its CRC check.
void UnReduce(TExtractContext& ctx, int factor) {
    if (factor < 1 || factor > 4) return;
    const uint32_t lengthMask = (1u << (8 - factor)) - 1;
    const uint32_t distanceMask = (1u << factor) - 1;
    uint8_t* followers = ctx.WorkArea + FollowerOffset;
    uint8_t setLength[256];
    ResetBitBuf(ctx);

    // Unused follower slots read as zero, so a corrupt index gives the same bytes each time.
    std::memset(followers, 0, 256 * FollowerRow);
    for (int x = 255; x >= 0; --x) {
        setLength[x] = static_cast<uint8_t>(ReadBits(ctx, 6));
        for (uint32_t i = 0; i < setLength[x]; ++i)
            followers[x * FollowerRow + i] = static_cast<uint8_t>(ReadBits(ctx, 8));
    }

    TSlidingWindow<ReduceWindowSize> window(ctx, ctx.WorkArea);
    uint8_t last = 0;
    TReduceState state = rsLiteral;
    uint32_t v = 0, length = 0;
    int64_t bytesLeft = ctx.UncompressedSize;
    while (bytesLeft > 0 && !ctx.InputEnded) {
        uint8_t c;
        const uint32_t n = setLength[last];
        if (n == 0 || ReadBits(ctx, 1) != 0)
            c = static_cast<uint8_t>(ReadBits(ctx, 8));
        else
            c = followers[last * FollowerRow + ReadBits(ctx, FollowerBits[n])];
        if (ctx.InputEnded) break;

        switch (state) {
        case rsLiteral:
            if (c == Escape) {
                state = rsEscaped;
            } else {
                window.Put(c);
                --bytesLeft;
            }
            break;
        case rsEscaped:
            if (c == 0) {
                window.Put(Escape);
                --bytesLeft;
                state = rsLiteral;
            } else {
                v = c;
                length = v & lengthMask;
                state = length == lengthMask ? rsLengthByte : rsDistanceByte;
            }
            break;
        case rsLengthByte:
            length += c;
            state = rsDistanceByte;
            break;
        case rsDistanceByte: {
            const uint32_t distance = ((v >> (8 - factor)) & distanceMask) * 256 + c + 1;
            length += MinMatch;
            bytesLeft -= length;
            window.Copy(distance, length);
            state = rsLiteral;
            break;
        }
        }
        last = c;
    }
    window.Flush();
    FlushOutput(ctx);
}
