// Writes Deflate streams by hand, bit by bit, for the streams no compressor makes: header
// fields least significant bit first, Huffman codes most significant bit first (RFC 1951).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TDeflateWriter {
public:
    // A field of n bits, least significant bit first (beyond 32 bits, zeros).
    void Bits(uint32_t value, unsigned n) {
        for (unsigned i = 0; i < n; ++i) Bit(i < 32 ? (value >> i) & 1 : 0);
    }
    // A Huffman code of n bits, most significant bit first.
    void Code(uint32_t code, unsigned n) {
        for (unsigned i = n; i-- > 0;) Bit((code >> i) & 1);
    }
    void Align() {
        while (FCount % 8) Bit(0);
    }
    // A block header: final-block bit, then the two bits of the type.
    void Header(bool final, unsigned type) {
        Bits(final, 1);
        Bits(type, 2);
    }
    // Literal/length symbol 0 to 287 in the fixed code.
    void FixedSymbol(unsigned s) {
        if (s < 144) Code(0x30 + s, 8);
        else if (s < 256) Code(0x190 + s - 144, 9);
        else if (s < 280) Code(s - 256, 7);
        else Code(0xC0 + s - 280, 8);
    }
    // A match in the fixed code: length symbol and extra bits, distance code and extra bits.
    void FixedMatch(unsigned length, unsigned distance) {
        unsigned sym, extra, base;
        LengthSymbol(length, sym, extra, base);
        FixedSymbol(sym);
        Bits(length - base, extra);
        DistanceSymbol(distance, sym, extra, base);
        Code(sym, 5);
        Bits(distance - base, extra);
    }
    static void LengthSymbol(unsigned length, unsigned& sym, unsigned& extra, unsigned& base) {
        static const uint16_t bases[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const uint8_t extras[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        unsigned i = 28;
        while (bases[i] > length) --i;
        sym = 257 + i;
        extra = extras[i];
        base = bases[i];
    }
    static void DistanceSymbol(unsigned distance, unsigned& sym, unsigned& extra, unsigned& base) {
        unsigned i = 0, b = 1;
        for (;;) {
            const unsigned e = i < 2 ? 0 : i / 2 - 1;
            if (distance < b + (1u << e)) {
                sym = i;
                extra = e;
                base = b;
                return;
            }
            b += 1u << e;
            ++i;
        }
    }
    // Canonical codes (RFC 1951) of a set of code lengths.
    static std::vector<uint32_t> Canonical(const std::vector<uint8_t>& lengths) {
        unsigned count[17] = {};
        for (uint8_t l : lengths) ++count[l];
        count[0] = 0;
        uint32_t next[17] = {}, code = 0;
        for (unsigned len = 1; len <= 16; ++len) next[len] = code = (code + count[len - 1]) << 1;
        std::vector<uint32_t> codes(lengths.size());
        for (size_t i = 0; i < lengths.size(); ++i)
            if (lengths[i]) codes[i] = next[lengths[i]]++;
        return codes;
    }
    // The bytes so far, the last one padded with zero bits.
    std::string Data() const { return FCount % 8 ? FData + static_cast<char>(FLast) : FData; }
    unsigned BitCount() const { return FCount; }

private:
    void Bit(unsigned b) {
        FLast |= (b & 1) << (FCount % 8);
        if (++FCount % 8 == 0) {
            FData += static_cast<char>(FLast);
            FLast = 0;
        }
    }
    std::string FData;
    unsigned FLast = 0;
    unsigned FCount = 0;
};
