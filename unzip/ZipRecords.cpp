// Reading the central and local file headers and the end record, and decoding stored names.
#include "unzip/ZipRecords.h"

#include "platform/rtl/CodePage.h"
#include "unzip/ZipUtils.h"
#include "unzip/decode/Crc32.h"

#include <algorithm>
#include <memory>

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16; }

// count bytes; when the stream ends first and a continuation is given, the rest comes from
// the following volumes (the continuation raises when there is none).
int32_t ReadOn(TStream*& stream, uint8_t* buffer, int32_t count, TZipHeaderInfo& record,
               const TZipHeaderInfo::TContinuation& continuation) {
    int32_t got = stream->Read(buffer, count);
    while (got < count && continuation) {
        continuation(record, stream);
        got += stream->Read(buffer + got, count - got);
    }
    return got;
}

// The UTF-8 name of a Unicode Path extra field (version 1) whose CRC-32 is that of the
// stored name; empty when there is none.
std::string_view UnicodePathName(std::string_view extra, std::string_view stored) {
    const auto* p = reinterpret_cast<const uint8_t*>(extra.data());
    size_t left = extra.size();
    while (left >= 4) {
        const uint16_t id = Le16(p);
        const uint16_t size = Le16(p + 2);
        if (size > left - 4) break;
        if (id == UnicodePathExtraId && size >= 5 && p[4] == 1 && Le32(p + 5) == Crc32(stored.data(), stored.size()))
            return std::string_view(reinterpret_cast<const char*>(p + 9), size - 5);
        p += 4 + size;
        left -= 4 + size;
    }
    return {};
}

}  // namespace

bool DecodeStoredName(std::string_view stored, uint16_t flags, std::string_view extra, AnsiString& name) {
    // The Unicode Path CRC covers the name exactly as stored, before "/" becomes "\".
    std::string raw(stored);
    SlashesToBackslashes(raw);
    bool multiByte = false;
    const bool validUtf8 = IsValidUtf8(raw, &multiByte);
    if (flags & FlagUtf8Name) {
        if (validUtf8) return Utf8ToAnsi(raw, name);
        OemToAnsi(raw, name);
        return false;
    }
    const std::string_view unicode = UnicodePathName(extra, stored);
    if (!unicode.empty()) {
        std::string path(unicode);
        SlashesToBackslashes(path);
        if (IsValidUtf8(path)) return Utf8ToAnsi(path, name);
    }
    if (validUtf8 && multiByte) return Utf8ToAnsi(raw, name);
    return OemToAnsi(raw, name);
}

void TZipHeaderInfo::SetName(std::string_view stored, uint16_t flags, std::string_view extra) {
    AnsiString name;
    NameNotRepresentable = !DecodeStoredName(stored, flags, extra, name);
    const size_t cut = name.find_last_of("\\:");
    if (cut == AnsiString::npos) {
        SetDirectory(AnsiString());
        SetFilename(name);
    } else {
        SetDirectory(name.substr(0, cut + 1));
        SetFilename(name.substr(cut + 1));
    }
}

bool TZipHeaderInfo::ReadCentralRecord(TStream*& stream, const TContinuation& continuation, bool keepComment) {
    const int64_t start = stream->GetPosition();
    uint8_t h[CentralHeaderSize];
    int32_t got = stream->Read(h, CentralHeaderSize);
    // A record cut by the end of a volume: what was read is the start of a central header
    // (or nothing at all), so the rest is at the start of the next volume.
    auto startsHeader = [&h](int32_t n) {
        const uint8_t sig[4] = {0x50, 0x4B, 0x01, 0x02};
        return std::equal(h, h + std::min(n, 4), sig);
    };
    if (got < CentralHeaderSize && continuation && startsHeader(got))
        got += ReadOn(stream, h + got, CentralHeaderSize - got, *this, continuation);
    if (got < CentralHeaderSize || Le32(h) != CentralFileHeaderSig) {
        stream->SetPosition(start);
        return false;
    }
    const uint16_t nameLength = Le16(h + 28);
    const uint16_t extraLength = Le16(h + 30);
    const uint16_t commentLength = Le16(h + 32);
    std::string name(nameLength, '\0');
    if (nameLength &&
        ReadOn(stream, reinterpret_cast<uint8_t*>(name.data()), nameLength, *this, continuation) < nameLength) {
        stream->SetPosition(start);
        return false;
    }
    // The extra field is read for a Unicode Path field; across volumes everything is read,
    // since a seek cannot go on in the next volume.
    const bool readAll = keepComment || static_cast<bool>(continuation);
    std::string tail(static_cast<size_t>(extraLength) + (readAll ? commentLength : 0), '\0');
    const int32_t tailGot = tail.empty() ? 0 : ReadOn(stream, reinterpret_cast<uint8_t*>(tail.data()),
                                                      static_cast<int32_t>(tail.size()), *this, continuation);
    if (!readAll && commentLength) stream->Seek(commentLength, soFromCurrent);
    const std::string_view extra =
        tailGot >= extraLength ? std::string_view(tail).substr(0, extraLength) : std::string_view();

    VersionMadeBy = Le16(h + 4);
    VersionNeeded = Le16(h + 6);
    Flags = Le16(h + 8);
    Method = Le16(h + 10);
    DosDateTime = FixDosDateTime(static_cast<uint32_t>(Le16(h + 12)) | static_cast<uint32_t>(Le16(h + 14)) << 16);
    Crc = Le32(h + 16);
    PackedSize = static_cast<int32_t>(Le32(h + 20));
    UnpackedSize = static_cast<int32_t>(Le32(h + 24));
    ExtraLength = extraLength;
    CommentLength = commentLength;
    DiskStart = Le16(h + 34);
    InternalAttr = Le16(h + 36);
    ExternalAttr = Le32(h + 38);
    LocalOffset = Le32(h + 42);
    CentralPos = static_cast<uint32_t>(start);
    SetName(name, Flags, extra);
    FileComment.reset();
    if (keepComment && commentLength && tailGot == static_cast<int32_t>(tail.size()))
        FileComment = tail.substr(extraLength);
    CommentLength = commentLength;
    Selected = false;
    return true;
}

bool TZipHeaderInfo::ReadLocalHeader(TStream& stream) {
    const int64_t start = stream.GetPosition();
    uint8_t h[LocalHeaderSize];
    if (stream.Read(h, LocalHeaderSize) < LocalHeaderSize || Le32(h) != LocalFileHeaderSig) {
        stream.SetPosition(start);
        return false;
    }
    const uint16_t nameLength = Le16(h + 26);
    std::string name(nameLength, '\0');
    if (nameLength && stream.Read(name.data(), nameLength) < nameLength) {
        stream.SetPosition(start);
        return false;
    }
    VersionMadeBy = 0;
    VersionNeeded = Le16(h + 4);
    Flags = Le16(h + 6);
    Method = Le16(h + 8);
    DosDateTime = FixDosDateTime(static_cast<uint32_t>(Le16(h + 10)) | static_cast<uint32_t>(Le16(h + 12)) << 16);
    Crc = Le32(h + 14);
    PackedSize = static_cast<int32_t>(Le32(h + 18));
    UnpackedSize = static_cast<int32_t>(Le32(h + 22));
    ExtraLength = Le16(h + 28);
    CommentLength = 0;
    DiskStart = 0;
    InternalAttr = 0;
    ExternalAttr = 0;
    LocalOffset = static_cast<uint32_t>(start);
    CentralPos = 0;
    // Names of local headers are decoded without their extra field, which stays unread: the
    // central header, when there is one, brings the Unicode Path field with it.
    SetName(name, Flags, std::string_view());
    FileComment.reset();
    Selected = false;
    return true;
}

void TZipHeaderInfo::SetFilename(const AnsiString& text) {
    if (text != Filename) Filename = text;
    NameLength = static_cast<uint16_t>(Directory.size() + Filename.size());
}

void TZipHeaderInfo::SetDirectory(const AnsiString& text) {
    AnsiString value = text;
    if (!value.empty() && value.back() != '\\') value += '\\';
    if (value != Directory) Directory = value;
    NameLength = static_cast<uint16_t>(Directory.size() + Filename.size());
}

void TZipHeaderInfo::SetFileComment(const std::optional<AnsiString>& text) {
    FileComment = text;
    CommentLength = text ? static_cast<uint16_t>(text->size()) : 0;
}

void TZipHeaderInfo::Assign(const TZipHeaderInfo& other) {
    if (&other != this) *this = other;
}

void TEndCentral::Clear() { *this = TEndCentral(); }

bool TEndCentral::ReadEndCentral(TStream& stream) {
    const int64_t size = stream.GetSize();
    if (size < EndCentralSize) return false;
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(size, EndCentralSearchSize));
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[n]);
    stream.SetPosition(size - n);
    if (stream.Read(buffer.get(), n) < n) return false;
    for (int32_t i = n - EndCentralSize; i >= 0; --i) {
        const uint8_t* p = buffer.get() + i;
        if (p[0] != 0x50 || Le32(p) != EndCentralDirSig) continue;
        Signature = EndCentralDirSig;
        DiskNumber = Le16(p + 4);
        CentralDisk = Le16(p + 6);
        DiskEntries = Le16(p + 8);
        TotalEntries = Le16(p + 10);
        CentralSize = Le32(p + 12);
        CentralStart = Le32(p + 16);
        CommentLength = Le16(p + 20);
        Comment.reset();
        CommentPos = static_cast<uint32_t>(size - CommentLength);
        return true;
    }
    return false;
}

void TEndCentral::Assign(const TEndCentral& other) {
    if (&other != this) *this = other;
}
