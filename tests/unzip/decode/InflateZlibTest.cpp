// Inflate on raw Deflate streams made by zlib (every level and strategy), and on damaged
// copies of them, against the byte-wise yardstick decoder: the same bytes written, the same
// refills at the same points, the same LastByte and CompressedLeft at the end.
#ifdef SETUP_HAVE_ZLIB

#include "tests/unzip/decode/MemoryExtract.h"
#include "tests/unzip/decode/ReferenceInflate.h"
#include "unzip/decode/Inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

namespace {

// Words of varied length and frequency, with punctuation and line breaks.
std::string TextLike(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> words;
    for (int i = 0; i < 3000; ++i) {
        std::string w;
        const int n = 1 + static_cast<int>(rng() % 9);
        for (int k = 0; k < n; ++k) w += static_cast<char>('a' + rng() % 26);
        words.push_back(w);
    }
    std::string s;
    while (s.size() < size) {
        const double u = std::uniform_real_distribution<double>(0, 1)(rng);
        s += words[static_cast<size_t>(u * u * u * static_cast<double>(words.size()))];
        const unsigned p = rng() % 20;
        s += p == 0 ? ".\n" : p == 1 ? ", " : " ";
    }
    s.resize(size);
    return s;
}

std::string Mixed(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        switch (rng() % 4) {
            case 0: s += TextLike(1 + rng() % 5000, rng()); break;
            case 1: s += std::string(1 + rng() % 2000, static_cast<char>(rng())); break;
            case 2:
                for (unsigned n = rng() % 3000; n-- > 0;) s += static_cast<char>(rng());
                break;
            default:
                if (!s.empty()) {  // a long-distance repeat
                    const size_t from = rng() % s.size();
                    s += s.substr(from, rng() % 400);
                }
        }
    }
    s.resize(size);
    return s;
}

// A raw Deflate stream; with `flushEvery`, a Z_SYNC_FLUSH (an empty stored block) that often.
std::string Deflate(const std::string& data, int level, int strategy, size_t flushEvery = 0, int windowBits = 15) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -windowBits, 8, strategy), Z_OK);
    std::string out(deflateBound(&z, data.size()) + 64 * (flushEvery ? data.size() / flushEvery + 1 : 1), '\0');
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    size_t done = 0;
    while (done < data.size() || flushEvery == 0) {
        const size_t piece = flushEvery ? std::min(flushEvery, data.size() - done) : data.size();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + done));
        z.avail_in = static_cast<uInt>(piece);
        done += piece;
        const bool last = done >= data.size();
        EXPECT_NE(deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH), Z_STREAM_ERROR);
        if (last) break;
    }
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Inflate and the yardstick on the same stream, in one host each.
void ExpectSameAsReference(const std::string& stream, int32_t size, uint32_t refill = IoBufferSize,
                           const std::string* plain = nullptr) {
    TMemoryExtract host, ref;
    host.RefillSize = ref.RefillSize = refill;
    host.Run(Inflate, stream, size);
    ref.Run(ReferenceInflate, stream, size);
    if (plain) {
        EXPECT_TRUE(host.Output == *plain) << "output differs from the original";
    }
    EXPECT_TRUE(host.Output == ref.Output) << "output differs from the yardstick's";
    EXPECT_EQ(host.Refused, ref.Refused);
    EXPECT_EQ(host.Log, ref.Log);
    EXPECT_EQ(host.Ctx.LastByte, ref.Ctx.LastByte);
    EXPECT_EQ(host.Ctx.CompressedLeft, ref.Ctx.CompressedLeft);
    EXPECT_EQ(host.Ctx.InCount, ref.Ctx.InCount);
}

}  // namespace

TEST(InflateZlib, EveryLevelAndStrategy) {
    const std::string text = TextLike(150000, 1), mixed = Mixed(150000, 2);
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const std::string* data : {&text, &mixed}) {
        for (int level = 0; level <= 9; ++level) {
            for (int strategy : strategies) {
                SCOPED_TRACE(testing::Message() << "level " << level << " strategy " << strategy);
                ExpectSameAsReference(Deflate(*data, level, strategy), static_cast<int32_t>(data->size()),
                                      IoBufferSize, data);
            }
        }
    }
}

TEST(InflateZlib, FlushesSmallWindowsAndSmallRefills) {
    const std::string data = Mixed(120000, 3);
    struct Case {
        int level, strategy;
        size_t flushEvery;
        int windowBits;
        uint32_t refill;
    } cases[] = {
        {6, Z_DEFAULT_STRATEGY, 1000, 15, IoBufferSize},  // empty stored blocks between pieces
        {0, Z_DEFAULT_STRATEGY, 70000, 15, IoBufferSize}, // stored blocks of 65,535 bytes
        {9, Z_DEFAULT_STRATEGY, 0, 9, IoBufferSize},
        {6, Z_DEFAULT_STRATEGY, 0, 15, 1},
        {6, Z_DEFAULT_STRATEGY, 0, 15, 7},
        {1, Z_FIXED, 0, 15, 9},
        {6, Z_HUFFMAN_ONLY, 0, 15, 13},
        {0, Z_DEFAULT_STRATEGY, 300, 15, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " flush " << c.flushEvery << " refill " << c.refill);
        ExpectSameAsReference(Deflate(data, c.level, c.strategy, c.flushEvery, c.windowBits),
                              static_cast<int32_t>(data.size()), c.refill, &data);
    }
}

// Damaged streams: flipped bits, overwritten bytes, cuts and wrong sizes. Whatever they decode
// to, Inflate must do exactly what the byte-wise reading does.
TEST(InflateZlib, DamagedStreamsBehaveAsTheByteWiseReading) {
    std::mt19937 rng(4);
    const std::string data = Mixed(60000, 5);
    const std::string streams[] = {Deflate(data, 6, Z_DEFAULT_STRATEGY), Deflate(data, 1, Z_FIXED),
                                   Deflate(data, 0, Z_DEFAULT_STRATEGY, 5000), Deflate(data, 9, Z_HUFFMAN_ONLY)};
    for (int round = 0; round < 400; ++round) {
        std::string s = streams[round % 4];
        int32_t size = static_cast<int32_t>(data.size());
        switch (rng() % 4) {
            case 0: s[rng() % s.size()] ^= static_cast<char>(1u << (rng() % 8)); break;
            case 1: s[rng() % std::min<size_t>(s.size(), 64)] = static_cast<char>(rng()); break;
            case 2: s.resize(rng() % s.size()); break;
            default: size = static_cast<int32_t>(rng() % data.size()); break;
        }
        SCOPED_TRACE(round);
        ExpectSameAsReference(s, size, round % 3 ? IoBufferSize : 1 + rng() % 50);
    }
}

#endif
