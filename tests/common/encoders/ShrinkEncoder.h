// A Shrink (method 1) encoder for tests: LZW with codes of 9 to 13 bits, the code size
// raised by the signal 256,1 and the table partly cleared by 256,2, keeping a table that
// mirrors the decoder's so that both agree on every code number. Never part of the product.
#pragma once

#include <string>
#include <string_view>

struct TShrinkOptions {
    // Partial clears, as PKZIP sends them: once the next free code has reached ClearAt and
    // no code above it is in use, 256,2 follows the first code that the clear keeps (the
    // code sent last becomes the prefix of the next definition, so it must not be freed).
    // The default stays below 8,191: Info-ZIP's unzip refuses a stream once the decoder
    // defines code 8,191, which the format allows. 0: never; the full table stays frozen.
    int ClearAt = 8192 - 256;
};

std::string ShrinkEncode(std::string_view data, const TShrinkOptions& options = {});

// Number of partial clears the last ShrinkEncode call sent (for tests that need some).
int ShrinkClearsSent();
