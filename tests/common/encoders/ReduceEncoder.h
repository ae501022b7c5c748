// A Reduce (methods 2 to 5) encoder for tests: matches under the 144 escape, then every byte
// of that stream coded against the follower set of the byte before it. Never part of the
// product.
#pragma once

#include <string>
#include <string_view>

struct TReduceOptions {
    // Followers kept per byte (0 to 63): the most frequent ones.
    int MaxSetSize = 32;
    // Fill every set up to MaxSetSize with bytes that never follow, so that each set has
    // exactly that size whatever the data.
    bool PadSets = false;
    // Find matches at all; without, only literals and the escaped 144.
    bool Matches = true;
};

// factor 1 to 4 (method 2 to 5).
std::string ReduceEncode(std::string_view data, int factor, const TReduceOptions& options = {});

// The bit width of a follower index for a set of n (1 to 63) bytes.
unsigned ReduceFollowerBits(unsigned n);

// The follower-set stage alone, over a stream of already escaped bytes (for hand-made cases).
std::string ReduceCodeBytes(std::string_view escaped, const TReduceOptions& options = {});
