// The stored method. Its blocks come through the same refill as every other method's input
// (decryption, the next volume of a set, "Premature end of file reached" on a short read),
// read straight into the output buffer so that no byte is copied twice.
#include "unzip/decode/Decoders.h"

void CopyStored(TExtractContext& ctx) {
    // The input buffer stands in for the output buffer while the entry is copied.
    struct TOutBufSwap {
        TExtractContext& Ctx;
        uint8_t* Saved;
        ~TOutBufSwap() {
            Ctx.OutBuf = Ctx.OutPos = Saved;
            Ctx.OutCount = 0;
        }
    } swap{ctx, ctx.OutBuf};
    FlushOutput(ctx);
    ctx.OutBuf = ctx.OutPos = ctx.InBuf;
    while (ctx.CompressedLeft > 0) {
        ctx.Host->FillInput(ctx);
        if (ctx.InCount == 0) break;  // a host that has nothing more to give
        ctx.CompressedLeft -= ctx.InCount;
        ctx.OutCount = ctx.InCount;
        ctx.InCount = 0;
        FlushOutput(ctx);
    }
}
