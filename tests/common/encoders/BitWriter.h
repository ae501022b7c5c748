// Least-significant-bit-first bit packing shared by the test encoders of the older ZIP
// methods (Shrink, Reduce, Implode all fill their bytes from the low bit up).
#pragma once

#include <cstdint>
#include <string>

class TBitWriter {
public:
    // Appends the n (0 to 24) low bits of value.
    void Put(uint32_t value, unsigned n) {
        FBuf |= static_cast<uint64_t>(value & ((1u << n) - 1)) << FCount;
        FCount += n;
        while (FCount >= 8) {
            FOut.push_back(static_cast<char>(FBuf & 0xFF));
            FBuf >>= 8;
            FCount -= 8;
        }
    }
    // Whole bytes, outside the bit stream (Implode's trees).
    void PutByte(uint8_t b) { Put(b, 8); }
    // Pads the last byte with zero bits and returns everything written.
    std::string Finish() {
        if (FCount > 0) Put(0, 8 - FCount);
        return FOut;
    }
    uint64_t BitsWritten() const { return FOut.size() * 8 + FCount; }

private:
    std::string FOut;
    uint64_t FBuf = 0;
    unsigned FCount = 0;
};
