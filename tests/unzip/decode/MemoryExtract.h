// Runs a decoder over memory the way the extraction pipeline does for one entry: compressed
// bytes from a string, refilled as the component refills InBuf, output through FlushOutput
// into a memory stream. Records every refill and every piece written, in order.
#pragma once

#include "platform/rtl/Classes.h"
#include "unzip/BufferStream.h"
#include "unzip/decode/ExtractContext.h"

#include <functional>
#include <string>
#include <vector>

class TMemoryExtract : public TExtractHost {
public:
    TMemoryExtract();

    // Decodes `data` as one entry with the given uncompressed size; EBiggerThanUncompressed
    // ends decoding as in the pipeline (Refused is then set). The context and its work area
    // stay, so a second call sees what the window held.
    void Run(const std::function<void(TExtractContext&)>& decoder, const std::string& data,
             int32_t uncompressedSize);

    void FillInput(TExtractContext& ctx) override;
    void OutputWritten(TExtractContext& ctx, const uint8_t* data, uint32_t count) override;

    TExtractContext Ctx;
    std::string Output;    // what reached the output file
    bool Refused = false;  // FlushOutput refused output beyond the uncompressed size
    // "R<compressed left>" per refill and "W<bytes>" per piece written, in order.
    std::vector<std::string> Log;
    uint32_t RefillSize = IoBufferSize;  // tests may refill in smaller pieces

private:
    TExtractBuffers FBuffers;
    std::string FData;
    size_t FNext = 0;
    int32_t FLeft = 0;  // the working copy's compressed size: counted per refill
};
