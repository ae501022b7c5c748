// The fixture writer: ZIP archives byte for byte as a test describes them, including the
// damaged ones (wrong offsets, missing or cut records), self-extractor stubs, traditional
// encryption, data descriptors and split sets. It has its own bit-wise CRC-32 and its own
// encryption, so that it never shares a fault with the reader under test.
//
// Typical use:
//   TZipFixture zip;
//   zip.Entries.push_back({.Name = "docs/a.txt", .Data = "hello"});          // stored
//   zip.Entries.push_back({.Name = "b.bin", .Data = plain, .Packed = deflated, .Method = 8});
//   WriteFileBytes(dir / "t.zip", BuildZip(zip).Bytes);
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZipFixture {

constexpr uint32_t LocalSignature = 0x04034B50;
constexpr uint32_t CentralSignature = 0x02014B50;
constexpr uint32_t EndSignature = 0x06054B50;
constexpr uint32_t DescriptorSignature = 0x08074B50;  // also the split-set marker of volume 1
constexpr uint32_t LocalHeaderSize = 30;
constexpr uint32_t CentralHeaderSize = 46;
constexpr uint32_t EndRecordSize = 22;
constexpr uint32_t EncryptionHeaderSize = 12;

// A DOS date-time (time in the low 16 bits), seconds rounded down to even.
uint32_t DosTime(int year, int month, int day, int hour, int minute, int second);
// The CRC-32 of the ZIP format, computed bit by bit.
uint32_t ReferenceCrc32(const std::string& data);
// CP1251 text as the CP866 bytes an OEM name is stored in ("_" where CP866 has no letter).
std::string Oem(const AnsiString& ansi);
// CP1251 text as UTF-8 bytes.
std::string Utf8(const AnsiString& ansi);
// The Info-ZIP Unicode Path extra field (id 0x7075): version 1, the CRC-32 of the name as
// stored in the header (storedName), and the UTF-8 name.
std::string UnicodePathExtra(const std::string& storedName, const std::string& utf8Name);
// Encrypts header + data with the traditional PKWARE cipher (for tests of the cipher).
std::string TraditionalEncrypt(const std::string& password, const std::string& plain);

// How the sizes and CRC of an entry follow its data.
enum TDescriptor { dsNone, dsSigned /* 16 bytes: signature, CRC, sizes */, dsUnsigned /* 12 bytes */ };

// Designated initializers name the fields in this order.
struct TFixtureEntry {
    std::string Name{};                   // bytes as stored, "/" separators (OEM, UTF-8, anything)
    std::string Data{};                   // the uncompressed content: gives CRC and uncompressed size
    std::optional<std::string> Packed{};  // the entry's data as stored (already compressed); default Data
    uint16_t Method = 0;
    // Written as given, with bit 0 added when Password is set and bit 3 when Descriptor is.
    uint16_t Flags = 0;
    uint32_t DosDateTime = DosTime(2012, 3, 5, 10, 20, 30);
    uint16_t VersionMadeBy = 20;
    uint16_t VersionNeeded = 20;
    uint16_t InternalAttr = 0;
    uint32_t ExternalAttr = 0x20;
    std::string LocalExtra{};             // extra fields, raw
    std::string CentralExtra{};
    std::string Comment{};                // the entry's comment (central header)

    // Traditional encryption of Packed; PackedSize then includes the 12-byte header, whose
    // last byte is the check byte (high byte of the time with Flags bit 3, else of the CRC)
    // unless CheckByte replaces it. Header bytes 0-10 are fixed pseudo-random bytes.
    std::optional<std::string> Password{};
    std::optional<uint8_t> CheckByte{};

    TDescriptor Descriptor = dsNone;
    bool LocalSizesZero = false;        // local header CRC and sizes 0, as streaming writers do

    // What the headers claim instead of the truth (damaged variants); the data is unchanged.
    std::optional<uint32_t> Crc{};          // both headers and the descriptor
    std::optional<uint32_t> PackedSize{};   // both headers and the descriptor
    std::optional<uint32_t> UnpackedSize{}; // both headers and the descriptor
    std::optional<uint32_t> CentralOffset{};  // local header offset in the central header
    std::optional<uint16_t> CentralDisk{};    // disk number start in the central header
    std::optional<std::string> LocalName{};   // a different name in the local header

    bool Local = true;    // false: no local header and data (the central header still points)
    bool Central = true;  // false: no central header
};

struct TFixtureArchive {
    std::vector<TFixtureEntry> Entries{};
    std::string Stub{};              // bytes before everything (a self-extractor's program)
    bool StubInOffsets = true;     // false: offsets count from the end of the stub (an unadjusted SFX)
    bool SpanSignature = false;    // the 4-byte split marker at the start, as zip -s writes it
    std::string Comment{};           // archive comment
    bool EndRecord = true;         // false: no end record at all
    std::string Tail{};              // bytes after the end record and its comment

    // What the end record claims instead of the truth.
    std::optional<uint16_t> DiskNumber{};
    std::optional<uint16_t> CentralDiskNumber{};
    std::optional<uint16_t> DiskEntries{};
    std::optional<uint16_t> TotalEntries{};
    std::optional<uint32_t> CentralSize{};
    std::optional<uint32_t> CentralStart{};
    std::optional<uint16_t> CommentLength{};
};

// The archive's bytes and where its records went (absolute file offsets).
struct TFixtureLayout {
    std::string Bytes{};
    std::vector<uint32_t> LocalOffsets{};    // per entry (as written; entries with Local false: 0)
    std::vector<uint32_t> DataOffsets{};     // per entry: first byte after name and extra field
    std::vector<uint32_t> CentralOffsets{};  // per entry (Central false: 0)
    uint32_t CentralStart = 0;
    uint32_t EndRecordPos = 0;             // where the end record starts (EndRecord false: size)
};

TFixtureLayout BuildZip(const TFixtureArchive& archive);

// A split set: the single-archive bytes cut before each of the given absolute offsets
// (ascending). Local header offsets become relative to their volume, the central headers'
// disk numbers and the end record's numbers are filled in as a spanning writer fills them;
// overrides of the archive or its entries still win. The last volume is the one with the
// end record. Records are cut wherever the offsets say: a test that wants whole records
// chooses offsets between them.
std::vector<std::string> BuildSplitZip(const TFixtureArchive& archive, const std::vector<uint32_t>& cuts);
// The same with volumes of volumeSize bytes each (the last one shorter).
std::vector<std::string> BuildSplitZipBySize(const TFixtureArchive& archive, uint32_t volumeSize);

// Writes a set under the numbered naming: volume N as zipPath with the extension ".00N",
// the last one as zipPath itself.
void WriteNumberedSet(const AnsiString& zipPath, const std::vector<std::string>& volumes);

}  // namespace ZipFixture
