// Reduce encoder of the tests; see ReduceEncoder.h.
#include "tests/common/encoders/ReduceEncoder.h"

#include "tests/common/encoders/BitWriter.h"
#include "tests/common/encoders/Lz77Matcher.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr uint8_t Escape = 144;
constexpr uint32_t MinMatch = 3;

}  // namespace

unsigned ReduceFollowerBits(unsigned n) {
    unsigned bits = 1;
    while ((1u << bits) < n) ++bits;
    return bits;
}

std::string ReduceCodeBytes(std::string_view escaped, const TReduceOptions& options) {
    // Which bytes follow which, counting from the decoder's initial "last byte" 0.
    std::vector<std::array<uint32_t, 256>> counts(256);
    for (auto& row : counts) row.fill(0);
    uint8_t last = 0;
    for (char ch : escaped) {
        const uint8_t c = static_cast<uint8_t>(ch);
        ++counts[last][c];
        last = c;
    }
    std::vector<std::vector<uint8_t>> sets(256);
    const size_t maxSet = static_cast<size_t>(std::clamp(options.MaxSetSize, 0, 63));
    for (int x = 0; x < 256; ++x) {
        std::vector<uint8_t> order(256);
        for (int c = 0; c < 256; ++c) order[c] = static_cast<uint8_t>(c);
        std::stable_sort(order.begin(), order.end(),
                         [&](uint8_t a, uint8_t b) { return counts[x][a] > counts[x][b]; });
        for (uint8_t c : order) {
            if (sets[x].size() == maxSet) break;
            if (counts[x][c] == 0 && !options.PadSets) break;
            sets[x].push_back(c);
        }
    }

    TBitWriter bits;
    for (int x = 255; x >= 0; --x) {
        bits.Put(static_cast<uint32_t>(sets[x].size()), 6);
        for (uint8_t c : sets[x]) bits.Put(c, 8);
    }
    last = 0;
    for (char ch : escaped) {
        const uint8_t c = static_cast<uint8_t>(ch);
        const auto& set = sets[last];
        if (set.empty()) {
            bits.Put(c, 8);
        } else {
            const auto it = std::find(set.begin(), set.end(), c);
            if (it == set.end()) {
                bits.Put(1, 1);
                bits.Put(c, 8);
            } else {
                bits.Put(0, 1);
                bits.Put(static_cast<uint32_t>(it - set.begin()), ReduceFollowerBits(static_cast<unsigned>(set.size())));
            }
        }
        last = c;
    }
    return bits.Finish();
}

std::string ReduceEncode(std::string_view data, int factor, const TReduceOptions& options) {
    const uint32_t lengthMask = (1u << (8 - factor)) - 1;
    const uint32_t maxDistance = (1u << factor) * 256;
    const uint32_t maxLength = lengthMask + 255 + MinMatch;

    std::string escaped;
    TLz77Matcher matcher(data, maxDistance, MinMatch, maxLength);
    for (uint32_t pos = 0; pos < data.size();) {
        matcher.Advance(pos);
        TLzMatch m = options.Matches ? matcher.Find(pos) : TLzMatch{};
        // 144 followed by 0 is the escaped byte, so length 3 within 256 bytes has no code.
        if (m.Length == MinMatch && m.Distance <= 256) m = {};
        if (m.Length == 0) {
            const uint8_t c = static_cast<uint8_t>(data[pos]);
            escaped.push_back(static_cast<char>(c));
            if (c == Escape) escaped.push_back('\0');
            ++pos;
            continue;
        }
        const uint32_t len = m.Length - MinMatch;
        const uint32_t d = m.Distance - 1;
        const uint32_t v = (d >> 8) << (8 - factor) | std::min(len, lengthMask);
        escaped.push_back(static_cast<char>(Escape));
        escaped.push_back(static_cast<char>(v));
        if (len >= lengthMask) escaped.push_back(static_cast<char>(len - lengthMask));
        escaped.push_back(static_cast<char>(d & 0xFF));
        pos += m.Length;
    }
    return ReduceCodeBytes(escaped, options);
}
