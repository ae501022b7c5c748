// The data of one file entry as the volume stores it: the traditional encryption header and
// the encrypted bytes, stored or deflated (zlib, where the build has it), put together in a
// spool file so that the packer knows the entry's size before it chooses its volume.
// Relies on the platform's file stream, the reader's CRC-32 and key schedule, and zlib.
#pragma once

#include "platform/os/FileStream.h"
#include "platform/rtl/Types.h"
#include "tools/PackTree.h"
#include "unzip/decode/ZipCrypt.h"

#include <cstdint>
#include <memory>
#include <random>

class TZipVolumeWriter;

enum TPackMethod { pmStore, pmDeflate };

// True when this build of zipvol can deflate (it was linked with zlib).
bool PackDeflateAvailable();

struct TEncodedEntry {
    uint16_t Method = 0;     // 0 stored, 8 deflated
    uint32_t Crc = 0;
    int64_t PackedSize = 0;  // the encryption header and the data, as they lie in the spool
};

class TEntryEncoder {
public:
    // Creates the spool file (raises EFCreateError); it is deleted with the encoder.
    TEntryEncoder(const AnsiString& spoolPath, const AnsiString& password);
    ~TEntryEncoder();
    TEntryEncoder(const TEntryEncoder&) = delete;
    TEntryEncoder& operator=(const TEntryEncoder&) = delete;

    // Reads the file twice: its CRC-32 first (the encryption header ends with its top byte,
    // which the reader checks the password by), then its data into the spool; with pmDeflate
    // the data is deflated unless storing is smaller. A file that cannot be read, or that
    // changes between the two readings, raises an Exception naming it.
    TEncodedEntry Encode(const TPackItem& item, TPackMethod method);
    // The spool's bytes of the entry encoded last, appended to the volume's current entry.
    void CopyTo(TZipVolumeWriter& volume);

private:
    void Rewind();
    void BeginEncryption(uint32_t crc);
    void Spool(uint8_t* data, int32_t count);  // encrypts in place
    bool Deflate(const TPackItem& item, uint32_t& crc);
    void Store(const TPackItem& item, uint32_t& crc);

    AnsiString FSpoolPath;
    AnsiString FPassword;
    std::unique_ptr<TFileStream> FSpool;
    int64_t FSpooled = 0;
    TZipKeys FKeys;
    std::mt19937 FRandom;
};
