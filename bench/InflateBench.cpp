// Inflate alone against zlib and libdeflate: a text-like raw Deflate stream made by zlib at
// level 6, decoded into memory with CRC-32 by each, best of several runs, in one process.
//   inflate_bench [BYTES]                 the comparison (default 100 MB)
//   inflate_bench make-text-tree DIR N MB  N text-like files of MB megabytes in all, in 20 folders
#include "platform/rtl/Classes.h"
#include "unzip/BufferStream.h"
#include "unzip/decode/Crc32.h"
#include "unzip/decode/Decoders.h"
#include "unzip/decode/ExtractContext.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t DefaultSize = 100'000'000;
constexpr int Runs = 7;

// Text with the statistics of prose: a Zipf-distributed vocabulary of pronounceable words,
// capitals after full stops, punctuation, lines of about 72 characters, paragraphs.
std::string TextLike(size_t size) {
    std::mt19937 rng(20240611);
    const char* onsets[] = {"", "b", "c", "d", "f", "g", "h", "l", "m", "n", "p", "r", "s", "t", "v", "w",
                            "th", "st", "ch", "sh", "pr", "tr", "gr", "br", "cl", "pl", "wh"};
    const char* vowels[] = {"a", "e", "i", "o", "u", "ea", "ou", "ai", "ee", "io", "y"};
    const char* codas[] = {"", "", "n", "r", "s", "t", "l", "d", "m", "nd", "st", "ng", "rt", "ck", "ll"};
    std::vector<std::string> words;
    for (int i = 0; i < 20000; ++i) {
        std::string w;
        const int syllables = 1 + (rng() % 100 < 45 ? 0 : rng() % 100 < 70 ? 1 : 1 + rng() % 3);
        for (int s = 0; s < syllables; ++s) {
            w += onsets[rng() % std::size(onsets)];
            w += vowels[rng() % std::size(vowels)];
            w += codas[rng() % std::size(codas)];
        }
        words.push_back(w);
    }
    // Zipf: weight 1/(rank+2.7).
    std::vector<double> cumulative(words.size());
    double total = 0;
    for (size_t i = 0; i < words.size(); ++i) cumulative[i] = total += 1.0 / (static_cast<double>(i) + 2.7);
    std::uniform_real_distribution<double> u(0, total);
    std::string s;
    s.reserve(size + 100);
    size_t line = 0;
    bool capital = true;
    while (s.size() < size) {
        std::string w = words[std::lower_bound(cumulative.begin(), cumulative.end(), u(rng)) - cumulative.begin()];
        if (capital) w[0] = static_cast<char>(w[0] - 'a' + 'A');
        capital = false;
        const unsigned p = rng() % 100;
        if (p < 6) w += ",", capital = false;
        else if (p < 11) w += ".", capital = true;
        else if (p < 12) w += ";";
        if (line + w.size() + 1 > 72) {
            s += '\n';
            line = 0;
            if (capital && rng() % 6 == 0) s += '\n';
        } else if (line) {
            s += ' ';
            ++line;
        }
        s += w;
        line += w.size();
    }
    s.resize(size);
    return s;
}

std::string Deflate(const std::string& data, int level) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The extraction pipeline's host over memory: InBuf refilled from the stream in pieces of
// 16,000 bytes as the component reads them from the archive, the CRC-32 per piece written.
class TBenchHost : public TExtractHost {
public:
    explicit TBenchHost(const std::string& stream) : FStream(stream) {}
    void FillInput(TExtractContext& ctx) override {
        const auto n = static_cast<uint32_t>(std::min<size_t>(IoBufferSize, FStream.size() - FNext));
        std::memcpy(ctx.InBuf, FStream.data() + FNext, n);
        FNext += n;
        ctx.InCount = static_cast<uint16_t>(n);
        ctx.InPos = ctx.InBuf;
    }
    void OutputWritten(TExtractContext&, const uint8_t* data, uint32_t count) override {
        Crc = UpdateCrc32(Crc, data, count);
    }
    uint32_t Crc = CrcInitial;

private:
    const std::string& FStream;
    size_t FNext = 0;
};

// The output file of the benchmark: the decoded bytes kept in a buffer allocated once (a
// TMemoryStream would clear every byte before copying it in).
class TMemorySink : public TStream {
public:
    explicit TMemorySink(size_t capacity) : Data(capacity) {}
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        const auto n = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(count), Data.size() - Position));
        std::memcpy(Data.data() + Position, buffer, static_cast<size_t>(n));
        Position += static_cast<size_t>(n);
        return n;
    }
    int64_t Seek(int64_t offset, int origin) override {
        const int64_t base = origin == soFromBeginning ? 0 : origin == soFromCurrent ? static_cast<int64_t>(Position)
                                                                                    : static_cast<int64_t>(Data.size());
        Position = static_cast<size_t>(base + offset);
        return static_cast<int64_t>(Position);
    }
    std::vector<uint8_t> Data;
    size_t Position = 0;
};

// The processor time of this thread: on a machine shared with other work, time spent
// waiting for the processor does not count against whichever decoder happened to wait.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <typename F>
double Timed(F& run) {
    const double t0 = ThreadSeconds();
    run();
    return ThreadSeconds() - t0;
}

}  // namespace

int MakeTextTree(const std::string& dir, int files, int megabytes) {
    const size_t total = static_cast<size_t>(megabytes) * 1000000;
    const std::string text = TextLike(total * 2);
    size_t from = 0;
    for (int i = 0; i < files; ++i) {
        // Sizes from a quarter to nearly twice the mean, so that files differ.
        const size_t mean = total / static_cast<size_t>(files);
        const size_t size = mean / 4 + static_cast<size_t>((i * 7919) % 1000) * (mean * 7 / 4) / 1000;
        const std::string folder = dir + "/part" + std::to_string(i % 20);
        std::string command = "mkdir -p '" + folder + "'";
        if (i < 20 && std::system(command.c_str()) != 0) return 1;
        FILE* f = std::fopen((folder + "/file" + std::to_string(i) + ".txt").c_str(), "wb");
        if (!f) return 1;
        std::fwrite(text.data() + from, 1, size, f);
        std::fclose(f);
        from = (from + size) % total;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "make-text-tree") return MakeTextTree(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    const size_t size = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : DefaultSize;
    const std::string plain = TextLike(size);
    const std::string stream = Deflate(plain, 6);
    const uint32_t expected = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(plain.data()), static_cast<uInt>(plain.size())));
    std::printf("data: %zu bytes of text-like data, zlib level 6 raw stream %zu bytes (%.2f:1)\n", plain.size(),
                stream.size(), static_cast<double>(plain.size()) / static_cast<double>(stream.size()));

    // Inflate through the pipeline's services: FlushWindow into OutBuf, FlushOutput through
    // the output file's 8,192-byte buffer into memory.
    uint32_t ours = 0;
    TMemorySink memory(plain.size());
    auto runOurs = [&] {
        TExtractContext ctx;
        TExtractBuffers buffers(ctx);
        TBenchHost host(stream);
        memory.Position = 0;
        TS_BufferStream out(&memory);
        ctx.Host = &host;
        ctx.OutFile = &out;
        ctx.CompressedLeft = static_cast<int32_t>(stream.size());
        ctx.UncompressedSize = static_cast<int32_t>(plain.size());
        Inflate(ctx);
        out.Flush();
        ours = ~host.Crc;
    };

    // zlib: the whole stream in, the whole output buffer at once, then crc32.
    std::string out(plain.size(), '\0');
    uint32_t zcrc = 0;
    auto runZlib = [&] {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
        z.avail_in = static_cast<uInt>(stream.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        inflate(&z, Z_FINISH);
        inflateEnd(&z);
        zcrc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())));
    };
    // zlib as an extractor drives it: output in 64 KiB pieces, crc32 of each.
    auto runZlibPieces = [&] {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
        z.avail_in = static_cast<uInt>(stream.size());
        uLong c = crc32(0, nullptr, 0);
        size_t done = 0;
        int r = Z_OK;
        while (r == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(out.data() + done);
            z.avail_out = static_cast<uInt>(std::min<size_t>(65536, out.size() - done));
            if (z.avail_out == 0) break;
            r = inflate(&z, Z_NO_FLUSH);
            const size_t got = z.total_out - done;
            c = crc32(c, reinterpret_cast<const Bytef*>(out.data() + done), static_cast<uInt>(got));
            done = z.total_out;
        }
        inflateEnd(&z);
        zcrc = static_cast<uint32_t>(c);
    };
    // libdeflate: whole buffer, then its crc32.
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    uint32_t lcrc = 0;
    auto runLibdeflate = [&] {
        size_t got = 0;
        libdeflate_deflate_decompress(d, stream.data(), stream.size(), out.data(), out.size(), &got);
        lcrc = libdeflate_crc32(0, out.data(), got);
    };
    // Each decoder once per round, round after round, so that a change in the machine's
    // load meets all of them alike; the best round of each counts.
    double tOurs = 1e30, tZlib = 1e30, tZlibPieces = 1e30, tLib = 1e30;
    for (int round = 0; round < Runs; ++round) {
        tOurs = std::min(tOurs, Timed(runOurs));
        tZlib = std::min(tZlib, Timed(runZlib));
        tZlibPieces = std::min(tZlibPieces, Timed(runZlibPieces));
        tLib = std::min(tLib, Timed(runLibdeflate));
    }
    libdeflate_free_decompressor(d);
    if (ours != expected || memory.Position != plain.size() ||
        std::memcmp(memory.Data.data(), plain.data(), plain.size()) != 0) {
        std::printf("Inflate: WRONG OUTPUT (crc %08x, expected %08x)\n", ours, expected);
        return 1;
    }
    if (zcrc != expected || lcrc != expected) std::printf("peer output wrong: zlib %08x libdeflate %08x\n", zcrc, lcrc);

    const double mb = static_cast<double>(plain.size()) / 1e6;
    const double zBest = std::min(tZlib, tZlibPieces);
    std::printf("Inflate + CRC-32 (pipeline):        %7.1f MB/s  (%.3f s, best of %d rounds, thread processor time)\n", mb / tOurs, tOurs, Runs);
    std::printf("zlib inflate + crc32, one call:     %7.1f MB/s  (%.3f s)\n", mb / tZlib, tZlib);
    std::printf("zlib inflate + crc32, 64 KiB calls: %7.1f MB/s  (%.3f s)\n", mb / tZlibPieces, tZlibPieces);
    std::printf("libdeflate + crc32:                 %7.1f MB/s  (%.3f s)\n", mb / tLib, tLib);
    std::printf("ratio Inflate/zlib (faster zlib run): %.2f (target at least 1.0)\n", zBest / tOurs);
    std::printf("ratio Inflate/libdeflate:             %.2f\n", tLib / tOurs);
    return 0;
}
