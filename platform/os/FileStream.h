// The operating system's file as a stream (unbuffered; the archive reader buffers it).
// Paths are the system's Windows paths; the backend maps them (FileSystem.h).
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/Types.h"

#include <cstdint>

// Open modes, with the values the design uses.
constexpr uint16_t fmCreate = 0xFFFF;         // a new file, or an existing one emptied
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareDenyWrite = 0x0020; // other processes may read but not write
constexpr uint16_t fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
public:
    // Raises EFOpenError 'Cannot open file "<path>". <reason>' or, for fmCreate,
    // EFCreateError 'Cannot create file "<path>". <reason>'; nothing is left open then.
    TFileStream(const AnsiString& fileName, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int origin) override;

    // Closes the file now; raises EWriteError when the system reports that data written
    // could not be stored. Closing twice does nothing.
    void Close();
    // Makes the data written so far durable (fsync, FlushFileBuffers), so that a file put in
    // place of another by a rename is never found empty after a crash; raises EWriteError.
    void FlushToDisk();
    // The platform's handle (a file descriptor on Linux, a HANDLE on Windows).
    intptr_t Handle() const { return FHandle; }
    // Last-write time of the open file, local time, full resolution.
    TDateTime LastWriteTime() const;
    const AnsiString& FileName() const { return FFileName; }

private:
    AnsiString FFileName;
    intptr_t FHandle;
};
