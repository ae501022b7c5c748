// Hash-chain match finder of the test encoders.
#include "tests/common/encoders/Lz77Matcher.h"

#include <algorithm>

namespace {
constexpr int MaxChain = 256;  // candidates tried per position: enough for test data
}

TLz77Matcher::TLz77Matcher(std::string_view data, uint32_t maxDistance, uint32_t minLength, uint32_t maxLength)
    : FData(data),
      FMaxDistance(maxDistance),
      FMinLength(minLength),
      FMaxLength(maxLength),
      FHead(1u << HashBits, -1),
      FPrev(data.size(), -1) {}

uint32_t TLz77Matcher::Hash(uint32_t pos) const {
    // Two bytes, so that matches of length 2 (Implode without a literal tree) are found.
    const uint32_t a = static_cast<uint8_t>(FData[pos]);
    const uint32_t b = static_cast<uint8_t>(FData[pos + 1]);
    return ((a << 8) | b) & ((1u << HashBits) - 1);
}

void TLz77Matcher::Advance(uint32_t end) {
    for (; FInserted < end; ++FInserted) {
        if (FInserted + 1 >= FData.size()) continue;
        const uint32_t h = Hash(FInserted);
        FPrev[FInserted] = FHead[h];
        FHead[h] = static_cast<int32_t>(FInserted);
    }
}

TLzMatch TLz77Matcher::Find(uint32_t pos) const {
    TLzMatch best;
    if (pos + 1 >= FData.size()) return best;
    const uint32_t limit = std::min<uint32_t>(FMaxLength, static_cast<uint32_t>(FData.size() - pos));
    if (limit < FMinLength) return best;
    int32_t cand = FHead[Hash(pos)];
    for (int chain = 0; cand >= 0 && chain < MaxChain; ++chain, cand = FPrev[cand]) {
        const uint32_t distance = pos - static_cast<uint32_t>(cand);
        if (distance > FMaxDistance) break;
        uint32_t n = 0;
        while (n < limit && FData[cand + n] == FData[pos + n]) ++n;
        if (n > best.Length) {
            best = {n, distance};
            if (n == limit) break;
        }
    }
    if (best.Length < FMinLength) best = {};
    return best;
}
