// Buffered streams of the archive reader: every archive is read and every extracted file
// written through an 8,192-byte buffer, so the reader's many small reads (records of 4, 30
// and 46 bytes, the byte-by-byte signature scan) cost one file read per 8 KiB.
#pragma once

#include "platform/os/FileStream.h"
#include "platform/rtl/Classes.h"

#include <memory>

class TS_BufferStream : public TStream {
public:
    static constexpr int32_t BufferSize = 8192;
    enum TBufferState : uint8_t { Idle = 0, Reading = 1, Writing = 2 };

    explicit TS_BufferStream(TStream* inner);
    ~TS_BufferStream() override;  // flushes pending output (a failure is lost: use Flush first)
    TS_BufferStream(const TS_BufferStream&) = delete;
    TS_BufferStream& operator=(const TS_BufferStream&) = delete;

    int32_t Read(void* buffer, int32_t count) override;
    // Bytes of a buffer whose flush failed count as taken although they are lost; callers
    // that must know use Flush.
    int32_t Write(const void* buffer, int32_t count) override;
    // Origins 0, 1 and 2 (from the end: E - |offset|, E the larger of the logical position
    // and the inner size). A seek to the current position keeps the read-ahead.
    int64_t Seek(int64_t offset, int origin) override;

    // Reads up to BufferSize bytes from the inner stream; true when any came.
    bool Fill();
    // Writes the pending bytes; true when the inner stream took them all.
    bool Flush();

    TBufferState State() const { return FState; }
    // True once any flush has lost bytes; the write that lost them may have reported them
    // as taken.
    bool FlushFailed() const { return FFlushFailed; }

protected:
    TStream* FInner;

private:
    std::unique_ptr<char[]> FBuffer;
    int32_t FCursor = -1;  // -1: absent
    int32_t FLimit = BufferSize;
    TBufferState FState = Idle;
    bool FFlushFailed = false;
};

// A buffered stream over a file that it opens and owns.
class TLFNFileStream : public TS_BufferStream {
public:
    // Mode as for TFileStream: fmCreate for output files, fmOpenRead | fmShareDenyWrite for
    // an archive opened by name, fmOpenRead for the other volumes of a set. The file stream's
    // error propagates and nothing is left open.
    TLFNFileStream(const AnsiString& fileName, uint16_t mode);
    ~TLFNFileStream() override;

    intptr_t Handle() const { return FFileStream->Handle(); }
    TDateTime LastWriteTime() const { return FFileStream->LastWriteTime(); }
    const AnsiString& FileName() const { return FFileStream->FileName(); }
    // Writes what is pending and closes the file; raises EWriteError naming the file when
    // the medium did not take every byte, now or at an earlier flush. The stream is closed
    // afterwards either way.
    void Close();

private:
    std::unique_ptr<TFileStream> FFileStream;
};
