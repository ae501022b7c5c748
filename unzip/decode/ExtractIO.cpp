// Output services of the extraction pipeline and the buffers of one call.
#include "platform/os/FileSystem.h"
#include "unzip/BufferStream.h"
#include "unzip/ZipExceptions.h"
#include "unzip/decode/ExtractContext.h"

#include <algorithm>
#include <cstring>

TExtractBuffers::TExtractBuffers(TExtractContext& ctx)
    : FCtx(ctx),
      FWork(new uint8_t[WorkAreaSize]()),
      FIn(new uint8_t[IoBufferAlloc]()),
      FOut(new uint8_t[IoBufferAlloc]()) {
    ctx.WorkArea = FWork.get();
    ctx.InBuf = ctx.InPos = FIn.get();
    ctx.OutBuf = ctx.OutPos = FOut.get();
    ctx.InCount = ctx.OutCount = 0;
}

TExtractBuffers::~TExtractBuffers() {
    FCtx.WorkArea = FCtx.InBuf = FCtx.InPos = FCtx.OutBuf = FCtx.OutPos = nullptr;
    FCtx.InCount = FCtx.OutCount = 0;
}

void FlushOutput(TExtractContext& ctx) {
    if (ctx.OutCount == 0) return;
    if (static_cast<int64_t>(ctx.EntryWritten) + ctx.OutCount > static_cast<int64_t>(ctx.UncompressedSize))
        throw EBiggerThanUncompressed("File is larger than uncompressed size!");
    const int32_t written = ctx.OutFile->Write(ctx.OutBuf, ctx.OutCount);
    // A full disk or a quota: the bytes on disk would differ from those the CRC covers.
    if (written != ctx.OutCount || ctx.OutFile->FlushFailed())
        throw EWriteError("Cannot write file \"" + ctx.OutName + "\". " + LastErrorMessage());
    ctx.EntryWritten += ctx.OutCount;
    ctx.Host->OutputWritten(ctx, ctx.OutBuf, ctx.OutCount);
    ctx.OutCount = 0;
    ctx.OutPos = ctx.OutBuf;
}

void FlushWindow(TExtractContext& ctx, const uint8_t* window, uint32_t n) {
    while (n > 0) {
        const uint32_t piece = std::min<uint32_t>(n, IoBufferSize - ctx.OutCount);
        std::memcpy(ctx.OutPos, window, piece);
        ctx.OutPos += piece;
        ctx.OutCount = static_cast<uint16_t>(ctx.OutCount + piece);
        window += piece;
        n -= piece;
        if (ctx.OutCount == IoBufferSize) FlushOutput(ctx);
    }
}
