// Sample data of the decoder tests; see SampleData.h.
#include "tests/common/encoders/SampleData.h"

#include <cstdint>

namespace {

uint32_t Next(uint32_t& state) {
    state = state * 1103515245u + 12345u;
    return state >> 8;
}

// "\xE0\xF0\xF5\xE8\xE2" is a CP1251 word, written as bytes so that clang builds it alike.
const char* const Words[] = {"\xE0\xF0\xF5\xE8\xE2", "the", "window", "of", "compressed", "data", "Shrink", "and",
                             "Reduce", "follower", "set", "match", "length", "distance", "tree",
                             "1989", "PKZIP", "a", "is", "code", "table", "bits", "\r\n"};

}  // namespace

std::string SampleData(TSampleKind kind, size_t size, unsigned seed) {
    std::string s;
    s.reserve(size + 16);
    uint32_t state = seed * 2654435761u + 1;
    switch (kind) {
    case skText:
        while (s.size() < size) {
            s += Words[Next(state) % (sizeof Words / sizeof Words[0])];
            s += (Next(state) % 9 == 0) ? ". " : " ";
        }
        break;
    case skBinary:
        // Records of little-endian counters and a few repeated tags, like an executable's tables.
        for (uint32_t i = 0; s.size() < size; ++i) {
            const uint32_t v = (Next(state) % 4 == 0) ? Next(state) : i * 4;
            for (int b = 0; b < 4; ++b) s.push_back(static_cast<char>(v >> (8 * b)));
            if (Next(state) % 5 == 0) s += std::string("\x90\x90\x00\xFF", 4);
        }
        break;
    case skRuns:
        while (s.size() < size) s.append(1 + Next(state) % 700, static_cast<char>(Next(state) % 3 ? 0 : 144));
        break;
    case skAllBytes:
        for (uint32_t i = 0; s.size() < size; ++i) s.push_back(static_cast<char>((i + i / 256) & 0xFF));
        break;
    case skNoise:
        while (s.size() < size) s.push_back(static_cast<char>(Next(state)));
        break;
    }
    s.resize(size);
    return s;
}

const char* SampleKindName(TSampleKind kind) {
    switch (kind) {
    case skText: return "text";
    case skBinary: return "binary";
    case skRuns: return "runs";
    case skAllBytes: return "allbytes";
    case skNoise: return "noise";
    }
    return "?";
}
