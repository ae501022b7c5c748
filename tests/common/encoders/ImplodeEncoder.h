// An Implode (method 6) encoder for tests: matches with a 4 KiB or 8 KiB dictionary, coded
// with prefix codes sent as run-length coded bit lengths, with or without a literal tree.
// Never part of the product.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TImplodeOptions {
    bool EightKDictionary = false;  // general purpose flag bit 1
    bool LiteralTree = false;       // general purpose flag bit 2
};

// The general purpose flags that an entry of this encoding carries.
uint16_t ImplodeFlags(const TImplodeOptions& options);

std::string ImplodeEncode(std::string_view data, const TImplodeOptions& options = {});

// One token of a hand-made Implode stream.
struct TImplodeToken {
    uint32_t Length = 0;    // 0: a literal
    uint32_t Distance = 0;
    uint8_t Literal = 0;
};

// Codes given tokens as they stand (matches may reach before the data; nothing is checked
// against the data). The trees come from the tokens' own statistics.
std::string ImplodeEncodeTokens(const std::vector<TImplodeToken>& tokens, const TImplodeOptions& options);

// A tree as the stream sends it: the count of bytes less one, then for each run of equal
// bit lengths one byte ((run - 1) << 4 | (length - 1)).
std::string ImplodeTreeBytes(const std::vector<uint8_t>& lengths);
