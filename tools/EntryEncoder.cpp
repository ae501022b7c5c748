// Encoding one file entry. The spool is written from its start for every entry and never
// truncated: its length is tracked, and what lies beyond belongs to an earlier entry.
#include "tools/EntryEncoder.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "tools/ZipVolumeWriter.h"
#include "unzip/decode/Crc32.h"

#include <vector>

#ifdef ZIPVOL_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

constexpr int32_t ChunkSize = 65536;  // bytes read or written at a time
constexpr uint16_t MethodStored = 0;
constexpr uint16_t MethodDeflated = 8;

[[noreturn]] void Changed(const TPackItem& item) {
    throw Exception(item.Name + ": the file changed while it was packed");
}

// One reading of the whole file through `use`, with its CRC-32; the size must be the one
// listed.
template <typename TUse>
uint32_t ReadWhole(const TPackItem& item, std::vector<uint8_t>& buffer, TUse use) {
    TFileStream source(item.Source, fmOpenRead | fmShareDenyWrite);
    uint32_t crc = CrcInitial;
    int64_t total = 0;
    for (;;) {
        const int32_t got = source.Read(buffer.data(), ChunkSize);
        total += got;
        if (total > item.Size) Changed(item);
        const bool last = got < ChunkSize;
        crc = UpdateCrc32(crc, buffer.data(), static_cast<size_t>(got));
        use(buffer.data(), got, last);
        if (last) break;
    }
    if (total != item.Size)
        throw EReadError(item.Name + ": " + IntToStr(total) + " of its " + IntToStr(item.Size) +
                         " bytes could be read (it shrank, or the disk failed)");
    return ~crc;
}

}  // namespace

bool PackDeflateAvailable() {
#ifdef ZIPVOL_HAVE_ZLIB
    return true;
#else
    return false;
#endif
}

TEntryEncoder::TEntryEncoder(const AnsiString& spoolPath, const AnsiString& password)
    : FSpoolPath(spoolPath),
      FPassword(password),
      FSpool(std::make_unique<TFileStream>(spoolPath, fmCreate)),
      FRandom(std::random_device{}()) {}

TEntryEncoder::~TEntryEncoder() {
    try {
        FSpool->Close();
    } catch (...) {
    }
    DeleteFile(FSpoolPath);
}

void TEntryEncoder::Rewind() {
    FSpool->SetPosition(0);
    FSpooled = 0;
}

void TEntryEncoder::BeginEncryption(uint32_t crc) {
    // Eleven random bytes, then the top byte of the CRC-32, by which a reader tells a wrong
    // password before it decodes anything.
    uint8_t header[EncryptionHeaderSize];
    for (uint32_t i = 0; i + 1 < EncryptionHeaderSize; ++i) header[i] = static_cast<uint8_t>(FRandom() & 0xFF);
    header[EncryptionHeaderSize - 1] = static_cast<uint8_t>(crc >> 24);
    FKeys.Init(FPassword);
    Spool(header, EncryptionHeaderSize);
}

void TEntryEncoder::Spool(uint8_t* data, int32_t count) {
    FKeys.Encrypt(data, static_cast<size_t>(count));
    FSpool->WriteBuffer(data, count);
    FSpooled += count;
}

void TEntryEncoder::Store(const TPackItem& item, uint32_t& crc) {
    Rewind();
    BeginEncryption(crc);
    std::vector<uint8_t> buffer(ChunkSize);
    if (ReadWhole(item, buffer, [&](uint8_t* data, int32_t count, bool) { Spool(data, count); }) != crc)
        Changed(item);
}

bool TEntryEncoder::Deflate(const TPackItem& item, uint32_t& crc) {
#ifdef ZIPVOL_HAVE_ZLIB
    Rewind();
    BeginEncryption(crc);
    z_stream z{};
    // Raw Deflate (no zlib header), the best compression: a package is packed once and
    // installed many times.
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EOutOfMemory("zlib could not start deflating");
    struct TEnd {
        z_stream& Z;
        ~TEnd() { deflateEnd(&Z); }
    } end{z};
    std::vector<uint8_t> in(ChunkSize), out(ChunkSize);
    const int64_t storedSize = EncryptionHeaderSize + item.Size;
    bool larger = false;
    const uint32_t read = ReadWhole(item, in, [&](uint8_t* data, int32_t count, bool last) {
        if (larger) return;
        z.next_in = data;
        z.avail_in = static_cast<uInt>(count);
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            const int r = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            if (r == Z_STREAM_ERROR) throw Exception(item.Name + ": zlib failed to deflate");
            Spool(out.data(), static_cast<int32_t>(out.size() - z.avail_out));
            // Storing is the better choice once the deflated data is as long.
            if (FSpooled >= storedSize) {
                larger = true;
                return;
            }
        } while (z.avail_out == 0);
    });
    if (read != crc) Changed(item);
    return !larger;
#else
    (void)item;
    (void)crc;
    return false;
#endif
}

TEncodedEntry TEntryEncoder::Encode(const TPackItem& item, TPackMethod method) {
    std::vector<uint8_t> buffer(ChunkSize);
    uint32_t crc = ReadWhole(item, buffer, [](uint8_t*, int32_t, bool) {});
    TEncodedEntry e;
    e.Crc = crc;
    if (method == pmDeflate && item.Size > 0 && Deflate(item, crc)) {
        e.Method = MethodDeflated;
    } else {
        Store(item, crc);
        e.Method = MethodStored;
    }
    e.PackedSize = FSpooled;
    return e;
}

void TEntryEncoder::CopyTo(TZipVolumeWriter& volume) {
    FSpool->SetPosition(0);
    std::vector<uint8_t> buffer(ChunkSize);
    for (int64_t left = FSpooled; left > 0;) {
        const auto n = static_cast<int32_t>(left < ChunkSize ? left : ChunkSize);
        FSpool->ReadBuffer(buffer.data(), n);
        volume.WriteData(buffer.data(), n);
        left -= n;
    }
}
