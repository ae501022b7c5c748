// The memory host of the decoder tests.
#include "tests/unzip/decode/MemoryExtract.h"

#include "unzip/ZipExceptions.h"

#include <algorithm>
#include <cstring>

namespace {

std::string Entry(char kind, int64_t n) {
    std::string s(1, kind);
    s += std::to_string(n);
    return s;
}

}  // namespace

TMemoryExtract::TMemoryExtract() : FBuffers(Ctx) { Ctx.Host = this; }

void TMemoryExtract::Run(const std::function<void(TExtractContext&)>& decoder, const std::string& data,
                         int32_t uncompressedSize) {
    FData = data;
    FNext = 0;
    FLeft = static_cast<int32_t>(data.size());
    Output.clear();
    Log.clear();
    Refused = false;
    TMemoryStream file;
    TS_BufferStream out(&file);
    Ctx.OutFile = &out;
    Ctx.CompressedLeft = FLeft;
    Ctx.UncompressedSize = uncompressedSize;
    Ctx.BitBuf = 0;
    Ctx.BitCount = 0;
    Ctx.EntryWritten = 0;
    Ctx.InCount = 0;
    Ctx.OutCount = 0;
    Ctx.OutPos = Ctx.OutBuf;
    try {
        decoder(Ctx);
    } catch (const EBiggerThanUncompressed&) {
        Refused = true;
    }
    out.Flush();
    Ctx.OutFile = nullptr;
    Output = file.Data;
}

void TMemoryExtract::FillInput(TExtractContext& ctx) {
    Log.push_back(Entry('R', ctx.CompressedLeft));
    const auto n = static_cast<uint32_t>(std::min<int64_t>(FLeft, RefillSize));
    FLeft -= static_cast<int32_t>(n);
    if (FNext + n > FData.size()) throw EFatalUnzipError("Premature end of file reached");
    std::memcpy(ctx.InBuf, FData.data() + FNext, n);
    FNext += n;
    ctx.InCount = static_cast<uint16_t>(n);
    ctx.InPos = ctx.InBuf;
}

void TMemoryExtract::OutputWritten(TExtractContext&, const uint8_t*, uint32_t count) {
    Log.push_back(Entry('W', count));
}
