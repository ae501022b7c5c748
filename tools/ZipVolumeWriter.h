// One data volume as a complete ZIP archive: local headers and entry data as they are added,
// then the central directory and the end record. Entry names are stored as the setup
// program's reader reads them back. Relies on the platform's file stream.
#pragma once

#include "platform/os/FileStream.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A name as the archive stores it: "/" between folders, in CP866 (the OEM code page that
// archives of this kind use) when the reader gives back exactly the same name from those
// bytes, otherwise in UTF-8 with flag bit 11.
struct TStoredName {
    std::string Bytes;
    uint16_t Flags = 0;
};
TStoredName StoreName(const AnsiString& name);

// What the central directory records of one entry.
struct TVolumeEntry {
    TStoredName Name;
    uint16_t Flags = 0;  // besides the name's own
    uint16_t Method = 0;
    uint32_t DosTime = 0;
    uint32_t Crc = 0;
    uint32_t PackedSize = 0;
    uint32_t Size = 0;
    uint32_t ExternalAttr = 0;
    uint32_t LocalOffset = 0;
};

// The bytes of a local header, central record and end record.
constexpr int64_t LocalRecordSize = 30;
constexpr int64_t CentralRecordSize = 46;
constexpr int64_t EndRecordSize = 22;

class TZipVolumeWriter {
public:
    // Creates (or empties) the file; raises EFCreateError.
    explicit TZipVolumeWriter(const AnsiString& path);
    ~TZipVolumeWriter();
    TZipVolumeWriter(const TZipVolumeWriter&) = delete;
    TZipVolumeWriter& operator=(const TZipVolumeWriter&) = delete;

    // The bytes an entry adds to a volume: its local header and data, and its central record.
    static int64_t EntryBytes(const TStoredName& name, int64_t packedSize);
    // The size the volume has once finished, with what was added so far.
    int64_t FinishedSize() const;
    int Count() const { return static_cast<int>(FEntries.size()); }

    // Writes the local header of an entry; its data must follow through WriteData.
    void BeginEntry(TVolumeEntry entry);
    void WriteData(const void* data, int32_t count);
    // The central directory and the end record; the file is flushed to the disk and closed
    // (raises EWriteError when it could not be stored).
    void Finish();

    const AnsiString& Path() const { return FPath; }

private:
    AnsiString FPath;
    std::unique_ptr<TFileStream> FFile;
    std::vector<TVolumeEntry> FEntries;
    int64_t FWritten = 0;
    int64_t FCentralBytes = 0;
};
