// The records of an archive's directory: TZipHeaderInfo (one entry, read from its central or
// local header) and TEndCentral (the end of central directory record), with the decoding of
// stored names into the system's CP1251 text.
#pragma once

#include "platform/rtl/Classes.h"
#include "unzip/ObjectList.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

constexpr uint32_t LocalFileHeaderSig = 0x04034B50;
constexpr uint32_t CentralFileHeaderSig = 0x02014B50;
constexpr uint32_t EndCentralDirSig = 0x06054B50;
constexpr int32_t LocalHeaderSize = 30;
constexpr int32_t CentralHeaderSize = 46;
constexpr int32_t EndCentralSize = 22;
constexpr int32_t EndCentralSearchSize = 65528;  // bytes at the end searched for the end record
constexpr uint16_t FlagEncrypted = 0x0001;
constexpr uint16_t FlagDataDescriptor = 0x0008;
constexpr uint16_t FlagUtf8Name = 0x0800;        // general purpose bit 11
constexpr uint16_t UnicodePathExtraId = 0x7075;  // Info-ZIP Unicode Path extra field

// A stored name (the bytes of the header) as CP1251 text with "\\" for "/". UTF-8 is taken when
// flag bit 11 says so, when a Unicode Path extra field carries the CRC-32 of the stored
// name, or when the name is valid UTF-8 with at least one multi-byte sequence (Info-ZIP zip
// on Linux stores names so without the flag); otherwise the name is OEM text (CP866).
// Returns false when the name holds a character that CP1251 cannot hold (it then stands in
// the text as "_"), or when it claims to be UTF-8 and is not.
bool DecodeStoredName(std::string_view raw, uint16_t flags, std::string_view extra, AnsiString& name);

class TZipHeaderInfo : public TPersistent {
public:
    // Hands the stream of the next volume, positioned at its start, in place of the given one.
    using TContinuation = std::function<void(TZipHeaderInfo& record, TStream*& stream)>;

    TZipHeaderInfo() = default;
    const char* ClassName() const override { return "TZipHeaderInfo"; }

    // One central directory file header at the stream's position. False (the stream back at
    // the record's start, the record unchanged) when the header is missing or cut short.
    // With a continuation, a record cut by the end of a volume goes on in the next one.
    // With keepComment, the entry's comment is stored at once (for sets of several volumes).
    bool ReadCentralRecord(TStream*& stream, const TContinuation& continuation = {}, bool keepComment = false);
    // One local file header at the stream's position; the stream is left at its extra field.
    bool ReadLocalHeader(TStream& stream);

    void SetFilename(const AnsiString& text);
    void SetDirectory(const AnsiString& text);
    void SetFileComment(const std::optional<AnsiString>& text);

    bool IsEncrypted() const { return Flags & FlagEncrypted; }
    bool HasDataDescriptor() const { return Flags & FlagDataDescriptor; }
    bool HasComment() const { return CommentLength > 0; }
    AnsiString FullName() const { return Directory + Filename; }
    void Assign(const TZipHeaderInfo& other);

    uint16_t VersionMadeBy = 20;
    uint16_t VersionNeeded = 20;
    uint16_t Flags = 0;
    uint16_t Method = 8;
    uint32_t DosDateTime = 0;
    uint32_t Crc = 0xFFFFFFFF;
    int32_t PackedSize = 0;
    int32_t UnpackedSize = 0;
    uint16_t NameLength = 0;
    uint16_t ExtraLength = 0;
    uint16_t CommentLength = 0;
    uint16_t DiskStart = 0;
    uint16_t InternalAttr = 1;
    uint32_t ExternalAttr = 0x20;
    uint32_t LocalOffset = 0;
    uint32_t CentralPos = 0;
    AnsiString Filename;
    AnsiString Directory;
    std::optional<AnsiString> FileComment;
    bool Selected = false;
    // The stored name holds a character that CP1251 cannot hold: Filename and Directory
    // show it as "_", and extraction refuses the entry rather than create another name.
    bool NameNotRepresentable = false;

private:
    void SetName(std::string_view stored, uint16_t flags, std::string_view extra);
};

class TEndCentral : public TPersistent {
public:
    TEndCentral() = default;
    const char* ClassName() const override { return "TEndCentral"; }

    void Clear();
    // Finds the end record in the last 65,528 bytes (one read, scanned backwards) and copies
    // its fields; false when there is none. The comment is not read.
    bool ReadEndCentral(TStream& stream);
    bool HasComment() const { return CommentLength > 0; }
    void Assign(const TEndCentral& other);

    uint32_t Signature = EndCentralDirSig;
    uint16_t DiskNumber = 0;
    uint16_t CentralDisk = 0;
    uint16_t DiskEntries = 0;
    uint16_t TotalEntries = 0;
    uint32_t CentralSize = 0;
    uint32_t CentralStart = 0;
    uint16_t CommentLength = 0;
    std::optional<AnsiString> Comment;
    uint32_t CommentPos = 0;
};
