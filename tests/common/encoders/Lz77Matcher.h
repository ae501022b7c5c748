// A plain hash-chain match finder for the test encoders of Reduce and Implode: the longest
// earlier occurrence within a distance limit, never reaching before the start of the data.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct TLzMatch {
    uint32_t Length = 0;    // 0: none found
    uint32_t Distance = 0;  // 1 = the byte just before
};

class TLz77Matcher {
public:
    TLz77Matcher(std::string_view data, uint32_t maxDistance, uint32_t minLength, uint32_t maxLength);
    // The longest match at pos (at least minLength bytes, else none); prefers the nearest.
    TLzMatch Find(uint32_t pos) const;
    // Records positions up to (not including) end; call in order of the positions.
    void Advance(uint32_t end);

private:
    static constexpr unsigned HashBits = 15;
    uint32_t Hash(uint32_t pos) const;

    std::string_view FData;
    uint32_t FMaxDistance, FMinLength, FMaxLength;
    uint32_t FInserted = 0;
    std::vector<int32_t> FHead, FPrev;
};
