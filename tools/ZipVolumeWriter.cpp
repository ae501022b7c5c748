// The records of a ZIP archive, little-endian, without ZIP64: the packer keeps every volume
// and every entry under 2 GiB, which the reader needs anyway. Entries are written whole, their
// sizes and CRC known beforehand, so no data descriptors are needed.
#include "tools/ZipVolumeWriter.h"

#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"
#include "unzip/ZipRecords.h"

namespace {

// "Version made by" 2.0 on MS-DOS: the external attributes are DOS attributes.
constexpr uint16_t MadeByDos20 = 20;
constexpr uint16_t NeededVersion = 20;  // encryption and Deflate

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8 & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

AnsiString WithSlashes(AnsiString name) {
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

}  // namespace

TStoredName StoreName(const AnsiString& name) {
    const AnsiString stored = WithSlashes(name);
    std::string oem;
    AnsiString back;
    // CP866 bytes can look like UTF-8 to the reader (which takes such names as UTF-8, as
    // Info-ZIP zip on Linux writes them without the flag): only a name that comes back
    // unchanged stays OEM.
    if (AnsiToOem(stored, oem) && DecodeStoredName(oem, 0, {}, back) && back == name) return {oem, 0};
    return {Cp1251ToUtf8(stored), FlagUtf8Name};
}

TZipVolumeWriter::TZipVolumeWriter(const AnsiString& path)
    : FPath(path), FFile(std::make_unique<TFileStream>(path, fmCreate)) {}

TZipVolumeWriter::~TZipVolumeWriter() = default;

int64_t TZipVolumeWriter::EntryBytes(const TStoredName& name, int64_t packedSize) {
    return LocalRecordSize + CentralRecordSize + 2 * static_cast<int64_t>(name.Bytes.size()) + packedSize;
}

int64_t TZipVolumeWriter::FinishedSize() const { return FWritten + FCentralBytes + EndRecordSize; }

void TZipVolumeWriter::BeginEntry(TVolumeEntry entry) {
    entry.LocalOffset = static_cast<uint32_t>(FWritten);
    entry.Flags |= entry.Name.Flags;
    std::string h;
    Put32(h, LocalFileHeaderSig);
    Put16(h, NeededVersion);
    Put16(h, entry.Flags);
    Put16(h, entry.Method);
    Put32(h, entry.DosTime);
    Put32(h, entry.Crc);
    Put32(h, entry.PackedSize);
    Put32(h, entry.Size);
    Put16(h, static_cast<uint32_t>(entry.Name.Bytes.size()));
    Put16(h, 0);
    h += entry.Name.Bytes;
    WriteData(h.data(), static_cast<int32_t>(h.size()));
    FCentralBytes += CentralRecordSize + static_cast<int64_t>(entry.Name.Bytes.size());
    FEntries.push_back(std::move(entry));
}

void TZipVolumeWriter::WriteData(const void* data, int32_t count) {
    FFile->WriteBuffer(data, count);
    FWritten += count;
}

void TZipVolumeWriter::Finish() {
    const auto start = static_cast<uint32_t>(FWritten);
    std::string c;
    for (const TVolumeEntry& e : FEntries) {
        Put32(c, CentralFileHeaderSig);
        Put16(c, MadeByDos20);
        Put16(c, NeededVersion);
        Put16(c, e.Flags);
        Put16(c, e.Method);
        Put32(c, e.DosTime);
        Put32(c, e.Crc);
        Put32(c, e.PackedSize);
        Put32(c, e.Size);
        Put16(c, static_cast<uint32_t>(e.Name.Bytes.size()));
        Put16(c, 0);  // extra field
        Put16(c, 0);  // comment
        Put16(c, 0);  // disk
        Put16(c, 0);  // internal attributes
        Put32(c, e.ExternalAttr);
        Put32(c, e.LocalOffset);
        c += e.Name.Bytes;
    }
    const auto centralSize = static_cast<uint32_t>(c.size());
    Put32(c, EndCentralDirSig);
    Put16(c, 0);
    Put16(c, 0);
    Put16(c, static_cast<uint32_t>(FEntries.size()));
    Put16(c, static_cast<uint32_t>(FEntries.size()));
    Put32(c, centralSize);
    Put32(c, start);
    Put16(c, 0);
    WriteData(c.data(), static_cast<int32_t>(c.size()));
    FFile->FlushToDisk();
    FFile->Close();
}
