// The 8,192-byte read-or-write buffer and the file stream built on it.
#include "unzip/BufferStream.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "unzip/StringResource.h"

#include <algorithm>
#include <cstring>

TS_BufferStream::TS_BufferStream(TStream* inner) : FInner(inner), FBuffer(new char[BufferSize]) {}

TS_BufferStream::~TS_BufferStream() {
    if (FState == Writing) Flush();
}

bool TS_BufferStream::Fill() {
    const int32_t n = FInner->Read(FBuffer.get(), BufferSize);
    FCursor = 0;
    FLimit = n > 0 ? n : 0;
    FState = n > 0 ? Reading : Idle;
    return n > 0;
}

bool TS_BufferStream::Flush() {
    const int32_t pending = FCursor > 0 ? FCursor : 0;
    const bool ok = pending == 0 || FInner->Write(FBuffer.get(), pending) == pending;
    FCursor = 0;
    FState = Idle;
    if (!ok) FFlushFailed = true;
    return ok;
}

int32_t TS_BufferStream::Read(void* buffer, int32_t count) {
    if (FState != Reading) {
        if (FState == Writing) Flush();
        FCursor = FLimit;
    }
    auto* out = static_cast<char*>(buffer);
    int32_t done = 0;
    while (done < count) {
        if (FCursor == FLimit && !Fill()) break;
        const int32_t n = std::min(FLimit - FCursor, count - done);
        std::memcpy(out + done, FBuffer.get() + FCursor, n);
        FCursor += n;
        done += n;
    }
    return done;
}

int32_t TS_BufferStream::Write(const void* buffer, int32_t count) {
    if (FState != Writing) {
        // Bytes read ahead are given back to the inner stream first.
        if (FState == Reading) FInner->Seek(FCursor - FLimit, soFromCurrent);
        FCursor = 0;
        FLimit = BufferSize;
        FState = Idle;
    }
    const auto* in = static_cast<const char*>(buffer);
    int32_t taken = 0;
    while (taken < count) {
        const int32_t n = std::min(FLimit - FCursor, count - taken);
        std::memcpy(FBuffer.get() + FCursor, in + taken, n);
        FCursor += n;
        taken += n;
        if (FCursor == FLimit && !Flush()) break;
    }
    if (FCursor != 0) FState = Writing;
    return taken;
}

int64_t TS_BufferStream::Seek(int64_t offset, int origin) {
    int64_t pending = 0;
    if (FState == Reading) pending = FCursor - FLimit;
    else if (FState == Writing) pending = FCursor;
    const int64_t logical = FInner->Seek(0, soFromCurrent) + pending;
    int64_t target;
    switch (origin) {
        case soFromBeginning: target = offset; break;
        case soFromCurrent: target = logical + offset; break;
        case soFromEnd: {
            const int64_t end = std::max(logical, FInner->GetSize());
            target = end - (offset < 0 ? -offset : offset);
            break;
        }
        default: throw Exception(Format(LoadMessage("S_Stream", 2), origin));
    }
    if (target == logical) return target;
    if (FState == Writing && !Flush()) throw EStreamError(LoadMessage("S_Stream", 1));
    FInner->Seek(target, soFromBeginning);
    FCursor = -1;
    FState = Idle;
    return target;
}

TLFNFileStream::TLFNFileStream(const AnsiString& fileName, uint16_t mode)
    : TS_BufferStream(nullptr), FFileStream(std::make_unique<TFileStream>(fileName, mode)) {
    FInner = FFileStream.get();
}

TLFNFileStream::~TLFNFileStream() {
    if (State() == Writing) Flush();
}

void TLFNFileStream::Close() {
    const bool flushed = (State() != Writing || Flush()) && !FlushFailed();
    FFileStream->Close();
    if (!flushed)
        throw EWriteError("Cannot write file \"" + FFileStream->FileName() + "\". " + LastErrorMessage());
}
