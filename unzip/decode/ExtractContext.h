// The state of one extraction call, shared by the extraction loop, the per-entry pipeline and
// the decoders, and the four services through which every decoder reads compressed bytes and
// hands on decoded ones. Buffers are allocated once per call (see TExtractBuffers).
#pragma once

#include "platform/rtl/Classes.h"

#include <cstdint>
#include <memory>

class TS_BufferStream;
class TUnZipper;
struct TExtractContext;

constexpr uint32_t WorkAreaSize = 32780;  // windows and tables of the decoders
constexpr uint32_t IoBufferSize = 16000;  // bytes used of each of the two 16,001-byte buffers
constexpr uint32_t IoBufferAlloc = 16001;

// What the pipeline asks of the component that runs it. The archive reader's component
// implements it; tests of the decoders implement it over memory.
class TExtractHost {
public:
    virtual ~TExtractHost() = default;
    // Refills InBuf with min(compressed bytes left of the entry, 16,000) bytes: lets pending
    // window messages through, reads from the archive (continuing on the next volume where
    // the set allows), decrypts, sets InPos and InCount. Raises when the archive ends early.
    virtual void FillInput(TExtractContext& ctx) = 0;
    // Called by FlushOutput for every piece written to the output file, once it is written
    // and EntryWritten counts it: the running CRC and the progress events.
    virtual void OutputWritten(TExtractContext& ctx, const uint8_t* data, uint32_t count) = 0;
};

struct TExtractContext {
    TUnZipper* Zip = nullptr;        // the component being run (null in decoder tests)
    TExtractHost* Host = nullptr;
    TStream* ArchiveStream = nullptr;
    uint8_t* WorkArea = nullptr;     // WorkAreaSize bytes
    uint8_t* InBuf = nullptr;        // IoBufferAlloc bytes
    uint8_t* InPos = nullptr;
    uint16_t InCount = 0;
    int32_t CompressedLeft = 0;      // bytes ReadByte may still deliver for this entry
    uint8_t* OutBuf = nullptr;       // IoBufferAlloc bytes
    uint8_t* OutPos = nullptr;
    uint16_t OutCount = 0;
    int32_t EntryWritten = 0;
    int32_t UncompressedSize = 0;
    TS_BufferStream* OutFile = nullptr;  // the output file while an entry is decoded
    AnsiString OutName;              // its path, for error messages
    uint16_t EntryFlags = 0;         // general purpose flags of the entry being decoded
    uint32_t BitBuf = 0;             // Shrink and Reduce bit reservoir
    uint16_t BitCount = 0;
    bool InputEnded = false;
    uint16_t LastByte = 0;           // last byte delivered to the Deflate / Implode bit readers
    int32_t ExtractedCount = 0;
    bool RetryEntry = false;
};

// The three buffers of one call, released with the object (also by an exception).
class TExtractBuffers {
public:
    explicit TExtractBuffers(TExtractContext& ctx);
    ~TExtractBuffers();

private:
    TExtractContext& FCtx;
    std::unique_ptr<uint8_t[]> FWork, FIn, FOut;
};

// Next compressed byte of the entry into b, returning 8; 0 when the entry's data is used up
// (b is then left as it was).
inline int ReadByte(TExtractContext& ctx, uint16_t& b) {
    if (ctx.CompressedLeft <= 0) {
        --ctx.CompressedLeft;
        return 0;
    }
    --ctx.CompressedLeft;
    if (ctx.InCount == 0) ctx.Host->FillInput(ctx);
    b = *ctx.InPos++;
    --ctx.InCount;
    return 8;
}

// Writes OutBuf to the output file: the size guard (EBiggerThanUncompressed), the write, the
// CRC and the progress events. A short write raises EWriteError naming the file.
void FlushOutput(TExtractContext& ctx);

inline void PutByte(TExtractContext& ctx, uint8_t b) {
    *ctx.OutPos++ = b;
    if (++ctx.OutCount == IoBufferSize) FlushOutput(ctx);
}

// Copies the first n bytes of a decoder's window into OutBuf, flushing whenever it is full.
void FlushWindow(TExtractContext& ctx, const uint8_t* window, uint32_t n);
