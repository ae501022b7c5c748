// Shell Link Binary File Format: the 76-byte header, a LinkInfo structure with the target as
// its local base path (in CP1251 and in UTF-16), the working folder and the arguments as
// UTF-16 string data, and the terminal block.
#include "platform/os/ShellLinkFile.h"

#include "platform/rtl/CodePage.h"

#include <string_view>

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
// {00021401-0000-0000-C000-000000000046}, the shell link class, in its stored byte order.
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// LinkFlags.
constexpr uint32_t kHasLinkInfo = 0x00000002;
constexpr uint32_t kHasWorkingDir = 0x00000010;
constexpr uint32_t kHasArguments = 0x00000020;
constexpr uint32_t kIsUnicode = 0x00000080;

constexpr uint32_t kShowNormal = 1;  // SW_SHOWNORMAL

// LinkInfo: a header with the optional Unicode offsets, and a VolumeID of a fixed drive
// without serial number and label.
constexpr uint32_t kLinkInfoHeaderSize = 0x24;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x00000001;
constexpr uint32_t kVolumeIdHeaderSize = 0x10;
constexpr uint32_t kDriveFixed = 3;

constexpr size_t kMaxStringUnits = 0xFFFF;  // CountCharacters is 16 bits

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

void PutUtf16(std::string& out, std::u16string_view text) {
    for (char16_t c : text) Put16(out, c);
}

bool IsAbsolute(const AnsiString& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool rooted = !path.empty() && path[0] == '\\' && (path.size() < 2 || path[1] != '\\');
    return drive || rooted;
}

std::string LinkInfo(const AnsiString& target) {
    const std::u16string wide = Cp1251ToUtf16(target);
    std::string volume;
    Put32(volume, kVolumeIdHeaderSize + 1);
    Put32(volume, kDriveFixed);
    Put32(volume, 0);                    // serial number
    Put32(volume, kVolumeIdHeaderSize);  // the label follows at once: empty
    volume += '\0';

    const uint32_t volumeOffset = kLinkInfoHeaderSize;
    const uint32_t basePathOffset = volumeOffset + static_cast<uint32_t>(volume.size());
    const uint32_t suffixOffset = basePathOffset + static_cast<uint32_t>(target.size()) + 1;
    const uint32_t basePathUnicodeOffset = suffixOffset + 1;
    const uint32_t suffixUnicodeOffset = basePathUnicodeOffset + static_cast<uint32_t>(wide.size() + 1) * 2;
    const uint32_t size = suffixUnicodeOffset + 2;

    std::string out;
    Put32(out, size);
    Put32(out, kLinkInfoHeaderSize);
    Put32(out, kVolumeIdAndLocalBasePath);
    Put32(out, volumeOffset);
    Put32(out, basePathOffset);
    Put32(out, 0);  // no network location
    Put32(out, suffixOffset);
    Put32(out, basePathUnicodeOffset);
    Put32(out, suffixUnicodeOffset);
    out += volume;
    // The 8-bit path is in the code page of the system's texts; Windows reads the UTF-16 one
    // whenever it is there, so the link is right on any Windows locale.
    out += target;
    out += '\0';
    out += '\0';  // empty common path suffix
    PutUtf16(out, wide);
    Put16(out, 0);
    Put16(out, 0);  // empty common path suffix, UTF-16
    return out;
}

}  // namespace

bool ComposeShellLinkFile(const TShellLinkFileData& data, std::string& bytes) {
    if (!IsAbsolute(data.Target) || data.Target.find('\0') != AnsiString::npos) return false;
    const std::u16string workingDir = Cp1251ToUtf16(data.WorkingDir);
    const std::u16string arguments = Cp1251ToUtf16(data.Arguments);
    if (workingDir.size() > kMaxStringUnits || arguments.size() > kMaxStringUnits) return false;
    uint32_t flags = kHasLinkInfo | kIsUnicode;
    if (!workingDir.empty()) flags |= kHasWorkingDir;
    if (!arguments.empty()) flags |= kHasArguments;

    std::string out;
    Put32(out, kHeaderSize);
    out.append(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid);
    Put32(out, flags);
    Put32(out, data.TargetAttributes);
    Put64(out, data.CreationTime);
    Put64(out, data.AccessTime);
    Put64(out, data.WriteTime);
    Put32(out, data.TargetSize);
    Put32(out, 0);  // icon index
    Put32(out, kShowNormal);
    Put16(out, 0);  // hot key
    Put16(out, 0);  // reserved
    Put32(out, 0);
    Put32(out, 0);
    out += LinkInfo(data.Target);
    // String data, in the order of the format: working folder, then arguments.
    for (const std::u16string* text : {&workingDir, &arguments}) {
        if (text->empty()) continue;
        Put16(out, static_cast<uint32_t>(text->size()));
        PutUtf16(out, *text);
    }
    Put32(out, 0);  // terminal block
    bytes = std::move(out);
    return true;
}
