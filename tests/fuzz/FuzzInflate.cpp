// Arbitrary bytes as the compressed data of one entry, extracted through the whole pipeline
// (TUnZipper, ExtractEntry, the decoder of the entry's method). Fails on a crash, a sanitizer
// report, or an output file longer than the entry's declared size. The first input byte
// chooses the method (low three bits: Deflate, Shrink, Reduce 1 to 4, Implode, stored; bits 4
// and 5: Implode's dictionary and literal-tree flags); the next two give the declared size (in
// units of 64 bytes), so that the size guard is met as often as not.
#include "unzip/UnZipper.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A one-entry archive: local header, data, central header, end record.
std::string Archive(const std::string& data, uint32_t size, uint16_t method, uint16_t flags) {
    const std::string name = "f.bin";
    std::string zip;
    Put32(zip, 0x04034B50);
    Put16(zip, 20);  // version needed
    Put16(zip, flags);
    Put16(zip, method);
    Put32(zip, 0x4C654321);  // DOS date and time
    Put32(zip, 0);           // CRC (whatever the bytes decode to, it rarely matches)
    Put32(zip, static_cast<uint32_t>(data.size()));
    Put32(zip, size);
    Put16(zip, static_cast<uint32_t>(name.size()));
    Put16(zip, 0);
    zip += name + data;
    const auto central = static_cast<uint32_t>(zip.size());
    Put32(zip, 0x02014B50);
    Put16(zip, 20);
    Put16(zip, 20);
    Put16(zip, flags);
    Put16(zip, method);
    Put32(zip, 0x4C654321);
    Put32(zip, 0);
    Put32(zip, static_cast<uint32_t>(data.size()));
    Put32(zip, size);
    Put16(zip, static_cast<uint32_t>(name.size()));
    Put16(zip, 0);  // extra
    Put16(zip, 0);  // comment
    Put16(zip, 0);  // disk
    Put16(zip, 0);  // internal attributes
    Put32(zip, 0x20);
    Put32(zip, 0);  // local header offset
    zip += name;
    const auto centralSize = static_cast<uint32_t>(zip.size()) - central;
    Put32(zip, 0x06054B50);
    Put16(zip, 0);
    Put16(zip, 0);
    Put16(zip, 1);
    Put16(zip, 1);
    Put32(zip, centralSize);
    Put32(zip, central);
    Put16(zip, 0);
    return zip;
}

const std::string& WorkDir() {
    static const std::string dir = [] {
        std::string d = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        d += "/fuzz_inflate." + std::to_string(getpid());
        return d;
    }();
    return dir;
}

int64_t SizeOf(const std::string& hostPath) {
    FILE* f = std::fopen(hostPath.c_str(), "rb");
    if (!f) return -1;
    std::fseek(f, 0, SEEK_END);
    const long n = std::ftell(f);
    std::fclose(f);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t length) {
    static constexpr uint16_t Methods[8] = {8, 1, 2, 3, 4, 5, 6, 0};
    if (length < 3) return 0;
    const uint16_t method = Methods[bytes[0] & 7];
    const uint16_t flags = static_cast<uint16_t>((bytes[0] >> 3) & 0x06);
    const uint32_t size = (static_cast<uint32_t>(bytes[1]) | static_cast<uint32_t>(bytes[2]) << 8) * 64u;
    const std::string data(reinterpret_cast<const char*>(bytes) + 3, length - 3);
    const std::string& dir = WorkDir();
    mkdir(dir.c_str(), 0700);
    const std::string zipPath = dir + "/t.zip";
    if (FILE* f = std::fopen(zipPath.c_str(), "wb")) {
        const std::string zip = Archive(data, size, method, flags);
        std::fwrite(zip.data(), 1, zip.size(), f);
        std::fclose(f);
    } else {
        std::abort();
    }
    // The system's own paths use backslashes; the platform layer maps them.
    auto system = [](std::string p) {
        for (char& c : p)
            if (c == '/') c = '\\';
        return p;
    };
    TUnZipper zip;
    zip.SetZipName(system(zipPath));
    zip.SetDestDir(system(dir + "/out"));
    zip.DoAll = true;
    zip.OverwriteMode = Always;
    auto check = [&](const char* when) {
        const int64_t written = SizeOf(dir + "/out/f.bin");
        if (std::getenv("FUZZ_INFLATE_VERBOSE")) std::fprintf(stderr, "%s: %lld bytes, declared %u\n", when, static_cast<long long>(written), size);
        if (written > static_cast<int64_t>(size)) {
            std::fprintf(stderr, "%s: %lld bytes written, declared size %u\n", when, static_cast<long long>(written), size);
            std::abort();
        }
    };
    zip.OnBadCRC = [&](TUnZipper*, int, int, int) { check("bad CRC"); };
    zip.OnEndUnZip = [&](TUnZipper*, int, const AnsiString&) { check("end"); };
    zip.UnZip();
    return 0;
}
