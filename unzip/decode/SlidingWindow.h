// The circular output window of the Reduce and Implode decoders, inside the context's
// WorkArea: literals and matches go in, full windows go on through FlushWindow. Relies on
// the window size being a power of two.
#pragma once

#include "unzip/decode/ExtractContext.h"

#include <algorithm>
#include <cstring>

template <uint32_t W>
class TSlidingWindow {
    static_assert((W & (W - 1)) == 0, "the window size must be a power of two");

public:
    TSlidingWindow(TExtractContext& ctx, uint8_t* data) : FCtx(ctx), FData(data) {}

    void Put(uint8_t b) {
        FData[FPos++] = b;
        if (FPos == W) Wrap();
    }

    // Copies length bytes from distance (1 to W) bytes back. Until the window has wrapped
    // once, a source before the first byte of the entry gives zero bytes: the formats
    // define the window as zero-filled, whatever WorkArea held before.
    void Copy(uint32_t distance, uint32_t length) {
        uint32_t src = FPos - distance;
        while (length > 0) {
            src &= W - 1;
            const uint32_t piece = std::min(length, W - std::max(src, FPos));
            uint8_t* dst = FData + FPos;
            if (src >= FPos) {
                if (FFirstPass)
                    std::memset(dst, 0, piece);
                else
                    std::memmove(dst, FData + src, piece);  // the older part, ahead of FPos
            } else if (FPos - src >= piece) {
                std::memcpy(dst, FData + src, piece);
            } else {
                // Overlapping: the effect of a byte-by-byte copy, one period at a time.
                const uint32_t period = FPos - src;
                if (period == 1) {
                    std::memset(dst, FData[src], piece);
                } else {
                    for (uint32_t done = 0; done < piece; done += period)
                        std::memcpy(dst + done, FData + src + done, std::min(period, piece - done));
                }
            }
            FPos += piece;
            src += piece;
            length -= piece;
            if (FPos == W) Wrap();
        }
    }

    // The bytes since the last wrap, at the end of the entry.
    void Flush() { FlushWindow(FCtx, FData, FPos); }

private:
    void Wrap() {
        FlushWindow(FCtx, FData, W);
        FPos = 0;
        FFirstPass = false;
    }

    TExtractContext& FCtx;
    uint8_t* FData;
    uint32_t FPos = 0;
    bool FFirstPass = true;
};
