// Runs one decoder over compressed bytes in memory, the way ExtractEntry would: the context
// and its buffers, input refilled in 16,000-byte pieces, output through FlushOutput into a
// memory stream. WorkArea starts full of noise, so that nothing relies on it being clear.
#pragma once

#include "platform/rtl/Classes.h"
#include "unzip/BufferStream.h"
#include "unzip/ZipExceptions.h"
#include "unzip/decode/Decoders.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

struct TMemoryDecode {
    std::string Output;
    bool TooBig = false;     // FlushOutput refused more than the uncompressed size
    int FillCalls = 0;       // refills of InBuf
    int32_t CompressedLeft = 0;  // as the decoder left it
};

class TMemoryHost : public TExtractHost {
public:
    explicit TMemoryHost(const std::string& packed) : FPacked(packed) {}
    void FillInput(TExtractContext& ctx) override {
        const size_t n = std::min<size_t>(FPacked.size() - FPos, IoBufferSize);
        if (n == 0) throw EFatalUnzipError("Premature end of file reached");
        std::memcpy(ctx.InBuf, FPacked.data() + FPos, n);
        FPos += n;
        ctx.InPos = ctx.InBuf;
        ctx.InCount = static_cast<uint16_t>(n);
        ++FillCalls;
    }
    void OutputWritten(TExtractContext&, const uint8_t*, uint32_t) override {}
    int FillCalls = 0;

private:
    const std::string& FPacked;
    size_t FPos = 0;
};

inline TMemoryDecode DecodeInMemory(const std::function<void(TExtractContext&)>& decoder, const std::string& packed,
                                    int32_t uncompressedSize, uint16_t flags = 0) {
    TMemoryDecode result;
    TExtractContext ctx;
    TExtractBuffers buffers(ctx);
    for (uint32_t i = 0; i < WorkAreaSize; ++i) ctx.WorkArea[i] = static_cast<uint8_t>(0xA5 ^ (i * 31));
    TMemoryHost host(packed);
    TMemoryStream sink;
    {
        TS_BufferStream out(&sink);
        ctx.Host = &host;
        ctx.OutFile = &out;
        ctx.CompressedLeft = static_cast<int32_t>(packed.size());
        ctx.UncompressedSize = uncompressedSize;
        ctx.EntryFlags = flags;
        try {
            decoder(ctx);
        } catch (const EBiggerThanUncompressed&) {
            result.TooBig = true;
        }
        out.Flush();
    }
    result.Output = sink.Data;
    result.FillCalls = host.FillCalls;
    result.CompressedLeft = ctx.CompressedLeft;
    return result;
}

inline TMemoryDecode UnShrinkInMemory(const std::string& packed, int32_t size) {
    return DecodeInMemory([](TExtractContext& ctx) { UnShrink(ctx); }, packed, size);
}
inline TMemoryDecode UnReduceInMemory(const std::string& packed, int32_t size, int factor) {
    return DecodeInMemory([factor](TExtractContext& ctx) { UnReduce(ctx, factor); }, packed, size);
}
inline TMemoryDecode ExplodeInMemory(const std::string& packed, int32_t size, uint16_t flags) {
    return DecodeInMemory([](TExtractContext& ctx) { Explode(ctx); }, packed, size, flags);
}
