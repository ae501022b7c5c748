// The Deflate decoder (RFC 1951) of compression method 8. It reads the entry's data through
// the context's input buffer with ReadByte's accounting and writes through FlushWindow and
// FlushOutput; the window is the first 32,768 bytes of WorkArea, kept across entries.
#pragma once

#include "unzip/decode/ExtractContext.h"

#include <cstdint>

constexpr uint32_t InflateWindowSize = 32768;
// Lookup bits of the first-level tables.
constexpr unsigned DynamicLiteralBits = 9;
constexpr unsigned DynamicDistanceBits = 6;
constexpr unsigned FixedLiteralBits = 7;
constexpr unsigned FixedDistanceBits = 5;
constexpr unsigned CodeLengthBits = 7;

// Decodes the whole entry. A bad block ends it at once, without writing what is still in the
// window or in OutBuf; the entry's CRC check then fails.
void Inflate(TExtractContext& ctx);
