// Implode encoder of the tests; see ImplodeEncoder.h.
#include "tests/common/encoders/ImplodeEncoder.h"

#include "tests/common/encoders/BitWriter.h"
#include "tests/common/encoders/Lz77Matcher.h"

#include <algorithm>
#include <queue>
#include <stdexcept>

namespace {

constexpr unsigned MaxCodeLength = 16;
constexpr uint32_t LengthSymbols = 64;
constexpr uint32_t DistanceSymbols = 64;
constexpr uint32_t ExtraLengthSymbol = 63;

struct TCoding {
    std::vector<uint8_t> Lengths;
    std::vector<uint32_t> Bits;  // what goes into the stream, first bit lowest
};

// Code lengths of a Huffman code over every symbol (each counts at least once: the tree
// format has no length 0), flattened until no code is longer than 16 bits.
std::vector<uint8_t> CodeLengths(std::vector<uint64_t> freq) {
    for (auto& f : freq) f = f + 1;
    for (;;) {
        const size_t n = freq.size();
        std::vector<int> parent(2 * n, -1);
        using TItem = std::pair<uint64_t, int>;
        std::priority_queue<TItem, std::vector<TItem>, std::greater<>> heap;
        for (size_t i = 0; i < n; ++i) heap.push({freq[i], static_cast<int>(i)});
        int next = static_cast<int>(n);
        while (heap.size() > 1) {
            const TItem a = heap.top();
            heap.pop();
            const TItem b = heap.top();
            heap.pop();
            parent[a.second] = parent[b.second] = next;
            heap.push({a.first + b.first, next++});
        }
        std::vector<uint8_t> lengths(n);
        bool fits = true;
        for (size_t i = 0; i < n; ++i) {
            unsigned depth = 0;
            for (int p = parent[i]; p >= 0; p = parent[p]) ++depth;
            if (depth > MaxCodeLength) fits = false;
            lengths[i] = static_cast<uint8_t>(depth);
        }
        if (fits) return lengths;
        for (auto& f : freq) f = (f + 1) / 2;
    }
}

// Canonical codes (shorter first, then by symbol), complemented and sent first bit first:
// the Implode codes are the bit-inverted canonical ones.
TCoding MakeCoding(const std::vector<uint8_t>& lengths) {
    TCoding c{lengths, std::vector<uint32_t>(lengths.size())};
    uint32_t code = 0;
    for (unsigned len = 1; len <= MaxCodeLength; ++len) {
        for (size_t s = 0; s < lengths.size(); ++s) {
            if (lengths[s] != len) continue;
            const uint32_t inverted = ~code & ((1u << len) - 1);
            uint32_t reversed = 0;
            for (unsigned b = 0; b < len; ++b)
                if (inverted & (1u << (len - 1 - b))) reversed |= 1u << b;
            c.Bits[s] = reversed;
            ++code;
        }
        code <<= 1;
    }
    return c;
}

uint32_t MinMatch(const TImplodeOptions& o) { return o.LiteralTree ? 3 : 2; }
unsigned LowDistanceBits(const TImplodeOptions& o) { return o.EightKDictionary ? 7 : 6; }

}  // namespace

uint16_t ImplodeFlags(const TImplodeOptions& options) {
    return static_cast<uint16_t>((options.EightKDictionary ? 2 : 0) | (options.LiteralTree ? 4 : 0));
}

std::string ImplodeTreeBytes(const std::vector<uint8_t>& lengths) {
    std::string runs;
    for (size_t i = 0; i < lengths.size();) {
        size_t j = i;
        while (j < lengths.size() && lengths[j] == lengths[i] && j - i < 16) ++j;
        runs.push_back(static_cast<char>(((j - i - 1) << 4) | (lengths[i] - 1)));
        i = j;
    }
    return std::string(1, static_cast<char>(runs.size() - 1)) + runs;
}

std::string ImplodeEncodeTokens(const std::vector<TImplodeToken>& tokens, const TImplodeOptions& options) {
    const uint32_t minMatch = MinMatch(options);
    const unsigned lowBits = LowDistanceBits(options);
    std::vector<uint64_t> litFreq(256, 0), lenFreq(LengthSymbols, 0), distFreq(DistanceSymbols, 0);
    for (const auto& t : tokens) {
        if (t.Length == 0) {
            ++litFreq[t.Literal];
            continue;
        }
        if (t.Length < minMatch || t.Length > minMatch + ExtraLengthSymbol + 255 || t.Distance < 1 ||
            t.Distance > (DistanceSymbols << lowBits))
            throw std::invalid_argument("match outside what Implode can code");
        ++lenFreq[std::min(t.Length - minMatch, ExtraLengthSymbol)];
        ++distFreq[(t.Distance - 1) >> lowBits];
    }
    const TCoding lit = MakeCoding(CodeLengths(litFreq));
    const TCoding len = MakeCoding(CodeLengths(lenFreq));
    const TCoding dist = MakeCoding(CodeLengths(distFreq));

    std::string out;
    if (options.LiteralTree) out += ImplodeTreeBytes(lit.Lengths);
    out += ImplodeTreeBytes(len.Lengths);
    out += ImplodeTreeBytes(dist.Lengths);

    TBitWriter bits;
    for (const auto& t : tokens) {
        if (t.Length == 0) {
            bits.Put(1, 1);
            if (options.LiteralTree)
                bits.Put(lit.Bits[t.Literal], lit.Lengths[t.Literal]);
            else
                bits.Put(t.Literal, 8);
            continue;
        }
        bits.Put(0, 1);
        const uint32_t d = t.Distance - 1;
        bits.Put(d & ((1u << lowBits) - 1), lowBits);
        const uint32_t ds = d >> lowBits;
        bits.Put(dist.Bits[ds], dist.Lengths[ds]);
        const uint32_t ls = std::min(t.Length - minMatch, ExtraLengthSymbol);
        bits.Put(len.Bits[ls], len.Lengths[ls]);
        if (ls == ExtraLengthSymbol) bits.Put(t.Length - minMatch - ExtraLengthSymbol, 8);
    }
    return out + bits.Finish();
}

std::string ImplodeEncode(std::string_view data, const TImplodeOptions& options) {
    const uint32_t minMatch = MinMatch(options);
    TLz77Matcher matcher(data, DistanceSymbols << LowDistanceBits(options), minMatch,
                         minMatch + ExtraLengthSymbol + 255);
    std::vector<TImplodeToken> tokens;
    for (uint32_t pos = 0; pos < data.size();) {
        matcher.Advance(pos);
        const TLzMatch m = matcher.Find(pos);
        if (m.Length == 0) {
            tokens.push_back({0, 0, static_cast<uint8_t>(data[pos])});
            ++pos;
        } else {
            tokens.push_back({m.Length, m.Distance, 0});
            pos += m.Length;
        }
    }
    return ImplodeEncodeTokens(tokens, options);
}
