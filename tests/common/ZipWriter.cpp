// The fixture writer's records, cipher and split sets. Deliberately plain code, independent
// of the reader: its CRC is bit-wise and its cipher written out from the format's rules.
#include "tests/common/ZipWriter.h"

#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"

#include <algorithm>
#include <stdexcept>

namespace ZipFixture {

namespace {

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Patch16(std::string& out, size_t at, uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Patch32(std::string& out, size_t at, uint32_t v) {
    Patch16(out, at, v & 0xFFFF);
    Patch16(out, at + 2, v >> 16);
}

uint32_t Length16(const std::string& s, const char* what) {
    if (s.size() > 0xFFFF) throw std::length_error(std::string("fixture field too long: ") + what);
    return static_cast<uint32_t>(s.size());
}

uint32_t CrcByte(uint32_t crc, uint8_t b) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    return crc;
}

// The traditional PKWARE cipher: three keys, updated with every plain byte.
struct TCipher {
    uint32_t K0 = 0x12345678, K1 = 0x23456789, K2 = 0x34567890;

    explicit TCipher(const std::string& password) {
        for (char c : password) Update(static_cast<uint8_t>(c));
    }
    void Update(uint8_t plain) {
        K0 = CrcByte(K0, plain);
        K1 = (K1 + (K0 & 0xFF)) * 134775813u + 1;
        K2 = CrcByte(K2, static_cast<uint8_t>(K1 >> 24));
    }
    uint8_t Mask() const {
        const uint32_t t = (K2 | 2) & 0xFFFF;
        return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
    }
    std::string Encrypt(const std::string& plain) {
        std::string out(plain.size(), '\0');
        for (size_t i = 0; i < plain.size(); ++i) {
            const auto p = static_cast<uint8_t>(plain[i]);
            out[i] = static_cast<char>(p ^ Mask());
            Update(p);
        }
        return out;
    }
};

}  // namespace

uint32_t DosTime(int year, int month, int day, int hour, int minute, int second) {
    return static_cast<uint32_t>(year - 1980) << 25 | static_cast<uint32_t>(month) << 21 |
           static_cast<uint32_t>(day) << 16 | static_cast<uint32_t>(hour) << 11 |
           static_cast<uint32_t>(minute) << 5 | static_cast<uint32_t>(second / 2);
}

uint32_t ReferenceCrc32(const std::string& data) {
    uint32_t crc = 0xFFFFFFFF;
    for (char c : data) crc = CrcByte(crc, static_cast<uint8_t>(c));
    return ~crc;
}

std::string Oem(const AnsiString& ansi) {
    std::string out;
    AnsiToOem(ansi, out);
    return out;
}

std::string Utf8(const AnsiString& ansi) { return Cp1251ToUtf8(ansi); }

std::string UnicodePathExtra(const std::string& storedName, const std::string& utf8Name) {
    std::string body;
    body += '\x01';
    Put32(body, ReferenceCrc32(storedName));
    body += utf8Name;
    std::string out;
    Put16(out, 0x7075);
    Put16(out, Length16(body, "unicode path"));
    return out + body;
}

std::string TraditionalEncrypt(const std::string& password, const std::string& plain) {
    return TCipher(password).Encrypt(plain);
}

TFixtureLayout BuildZip(const TFixtureArchive& archive) {
    TFixtureLayout layout;
    std::string& out = layout.Bytes;
    out = archive.Stub;
    const uint32_t base = archive.StubInOffsets ? 0 : static_cast<uint32_t>(archive.Stub.size());
    if (archive.SpanSignature) Put32(out, DescriptorSignature);

    const size_t n = archive.Entries.size();
    layout.LocalOffsets.assign(n, 0);
    layout.DataOffsets.assign(n, 0);
    layout.CentralOffsets.assign(n, 0);
    struct TFacts {
        uint16_t Flags;
        uint32_t Crc, PackedSize, UnpackedSize;
    };
    std::vector<TFacts> facts(n);

    for (size_t i = 0; i < n; ++i) {
        const TFixtureEntry& e = archive.Entries[i];
        TFacts& f = facts[i];
        f.Flags = static_cast<uint16_t>(e.Flags | (e.Password ? 1 : 0) | (e.Descriptor != dsNone ? 8 : 0));
        f.Crc = e.Crc.value_or(ReferenceCrc32(e.Data));
        std::string stored = e.Packed.value_or(e.Data);
        if (e.Password) {
            std::string header;
            uint32_t seed = f.Crc ^ static_cast<uint32_t>(i * 0x9E3779B9u) ^ 0x5EED1234u;
            for (uint32_t k = 0; k + 1 < EncryptionHeaderSize; ++k) {
                seed = seed * 1103515245u + 12345u;
                header += static_cast<char>(seed >> 16);
            }
            const uint8_t check = (f.Flags & 8) ? static_cast<uint8_t>((e.DosDateTime & 0xFFFF) >> 8)
                                                : static_cast<uint8_t>(f.Crc >> 24);
            header += static_cast<char>(e.CheckByte.value_or(check));
            stored = TCipher(*e.Password).Encrypt(header + stored);
        }
        f.PackedSize = e.PackedSize.value_or(static_cast<uint32_t>(stored.size()));
        f.UnpackedSize = e.UnpackedSize.value_or(static_cast<uint32_t>(e.Data.size()));
        if (!e.Local) continue;

        layout.LocalOffsets[i] = static_cast<uint32_t>(out.size());
        const std::string& name = e.LocalName.value_or(e.Name);
        const bool zero = e.LocalSizesZero;
        Put32(out, LocalSignature);
        Put16(out, e.VersionNeeded);
        Put16(out, f.Flags);
        Put16(out, e.Method);
        Put16(out, e.DosDateTime & 0xFFFF);
        Put16(out, e.DosDateTime >> 16);
        Put32(out, zero ? 0 : f.Crc);
        Put32(out, zero ? 0 : f.PackedSize);
        Put32(out, zero ? 0 : f.UnpackedSize);
        Put16(out, Length16(name, "name"));
        Put16(out, Length16(e.LocalExtra, "local extra"));
        out += name;
        out += e.LocalExtra;
        layout.DataOffsets[i] = static_cast<uint32_t>(out.size());
        out += stored;
        if (e.Descriptor == dsSigned) Put32(out, DescriptorSignature);
        if (e.Descriptor != dsNone) {
            Put32(out, f.Crc);
            Put32(out, f.PackedSize);
            Put32(out, f.UnpackedSize);
        }
    }

    layout.CentralStart = static_cast<uint32_t>(out.size());
    uint32_t centralCount = 0;
    for (size_t i = 0; i < n; ++i) {
        const TFixtureEntry& e = archive.Entries[i];
        if (!e.Central) continue;
        const TFacts& f = facts[i];
        ++centralCount;
        layout.CentralOffsets[i] = static_cast<uint32_t>(out.size());
        Put32(out, CentralSignature);
        Put16(out, e.VersionMadeBy);
        Put16(out, e.VersionNeeded);
        Put16(out, f.Flags);
        Put16(out, e.Method);
        Put16(out, e.DosDateTime & 0xFFFF);
        Put16(out, e.DosDateTime >> 16);
        Put32(out, f.Crc);
        Put32(out, f.PackedSize);
        Put32(out, f.UnpackedSize);
        Put16(out, Length16(e.Name, "name"));
        Put16(out, Length16(e.CentralExtra, "central extra"));
        Put16(out, Length16(e.Comment, "comment"));
        Put16(out, e.CentralDisk.value_or(0));
        Put16(out, e.InternalAttr);
        Put32(out, e.ExternalAttr);
        Put32(out, e.CentralOffset.value_or(layout.LocalOffsets[i] - (e.Local ? base : 0)));
        out += e.Name;
        out += e.CentralExtra;
        out += e.Comment;
    }
    const uint32_t centralSize = static_cast<uint32_t>(out.size()) - layout.CentralStart;

    layout.EndRecordPos = static_cast<uint32_t>(out.size());
    if (archive.EndRecord) {
        Put32(out, EndSignature);
        Put16(out, archive.DiskNumber.value_or(0));
        Put16(out, archive.CentralDiskNumber.value_or(0));
        Put16(out, archive.DiskEntries.value_or(static_cast<uint16_t>(centralCount)));
        Put16(out, archive.TotalEntries.value_or(static_cast<uint16_t>(centralCount)));
        Put32(out, archive.CentralSize.value_or(centralSize));
        Put32(out, archive.CentralStart.value_or(layout.CentralStart - base));
        Put16(out, archive.CommentLength.value_or(static_cast<uint16_t>(Length16(archive.Comment, "archive comment"))));
        out += archive.Comment;
    }
    out += archive.Tail;
    return layout;
}

std::vector<std::string> BuildSplitZip(const TFixtureArchive& archive, const std::vector<uint32_t>& cuts) {
    TFixtureLayout layout = BuildZip(archive);
    std::string& bytes = layout.Bytes;
    if (!std::is_sorted(cuts.begin(), cuts.end()) || (!cuts.empty() && cuts.back() > bytes.size()))
        throw std::invalid_argument("split offsets must ascend and lie inside the archive");
    auto volumeOf = [&cuts](uint32_t offset) {
        return static_cast<uint32_t>(std::upper_bound(cuts.begin(), cuts.end(), offset) - cuts.begin());
    };
    auto relative = [&cuts](uint32_t offset, uint32_t volume) { return volume == 0 ? offset : offset - cuts[volume - 1]; };

    const uint32_t last = static_cast<uint32_t>(cuts.size());
    uint16_t lastDiskEntries = 0;
    for (size_t i = 0; i < archive.Entries.size(); ++i) {
        const TFixtureEntry& e = archive.Entries[i];
        if (!e.Central) continue;
        const uint32_t at = layout.CentralOffsets[i];
        if (volumeOf(at) == last) ++lastDiskEntries;
        if (!e.Local) continue;
        const uint32_t volume = volumeOf(layout.LocalOffsets[i]);
        if (!e.CentralDisk) Patch16(bytes, at + 34, volume);
        if (!e.CentralOffset) Patch32(bytes, at + 42, relative(layout.LocalOffsets[i], volume));
    }
    if (archive.EndRecord) {
        const size_t end = layout.EndRecordPos;
        const uint32_t centralVolume = volumeOf(layout.CentralStart);
        if (!archive.DiskNumber) Patch16(bytes, end + 4, last);
        if (!archive.CentralDiskNumber) Patch16(bytes, end + 6, centralVolume);
        if (!archive.DiskEntries) Patch16(bytes, end + 8, lastDiskEntries);
        if (!archive.CentralStart) Patch32(bytes, end + 16, relative(layout.CentralStart, centralVolume));
    }

    std::vector<std::string> volumes;
    uint32_t from = 0;
    for (uint32_t cut : cuts) {
        volumes.push_back(bytes.substr(from, cut - from));
        from = cut;
    }
    volumes.push_back(bytes.substr(from));
    return volumes;
}

std::vector<std::string> BuildSplitZipBySize(const TFixtureArchive& archive, uint32_t volumeSize) {
    const size_t total = BuildZip(archive).Bytes.size();
    std::vector<uint32_t> cuts;
    for (size_t at = volumeSize; at < total; at += volumeSize) cuts.push_back(static_cast<uint32_t>(at));
    return BuildSplitZip(archive, cuts);
}

void WriteNumberedSet(const AnsiString& zipPath, const std::vector<std::string>& volumes) {
    for (size_t i = 0; i + 1 < volumes.size(); ++i)
        WriteFileBytes(ChangeFileExt(zipPath, Format(".%3.3d", static_cast<int>(i + 1))), volumes[i]);
    if (!volumes.empty()) WriteFileBytes(zipPath, volumes.back());
}

}  // namespace ZipFixture
