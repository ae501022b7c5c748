// The block form of the CRC-32. Sixteen bytes go through sixteen tables per step, and two
// blocks are carried at once in two registers, each advancing by 32 bytes per step (its own
// block followed by the other's, read as zeros); the CRC is linear, so the registers' sum at
// the end is the CRC of the whole. This keeps two independent lookup chains in flight.
#include "unzip/decode/Crc32.h"

#include <bit>
#include <cstring>

namespace {

using CrcDetail::BlockBytes;
using CrcDetail::Chains;
using CrcDetail::TCrcTable;

inline uint32_t Le32(const uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    } else {
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
               static_cast<uint32_t>(p[3]) << 24;
    }
}

// The four bytes of w through tables t[3] (first byte) down to t[0] (last byte).
inline uint32_t WordStep(const TCrcTable* t, uint32_t w) {
    return (t[3][w & 0xFF] ^ t[2][(w >> 8) & 0xFF]) ^ (t[1][(w >> 16) & 0xFF] ^ t[0][w >> 24]);
}

// The register after a 16-byte block and then as many zero bytes as the index of t[0]
// says; the tree of XORs keeps the dependency chain short.
inline uint32_t BlockStep(const TCrcTable* t, uint32_t crc, const uint8_t* p) {
    return (WordStep(t + 12, Le32(p) ^ crc) ^ WordStep(t + 8, Le32(p + 4))) ^
           (WordStep(t + 4, Le32(p + 8)) ^ WordStep(t, Le32(p + 12)));
}

}  // namespace

uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t count) {
    const TCrcTable* t = CrcDetail::Tables.data();
    const auto* p = static_cast<const uint8_t*>(data);
    constexpr size_t Stride = BlockBytes * Chains;
    static_assert(Chains == 2, "the loop below carries two registers");
    if (count >= 2 * Stride) {
        uint32_t a = crc, b = 0;
        // The last pair is left for the finish, where b no longer skips a following block.
        while (count >= 2 * Stride) {
            a = BlockStep(t + BlockBytes, a, p);
            b = BlockStep(t + BlockBytes, b, p + BlockBytes);
            p += Stride;
            count -= Stride;
        }
        crc = BlockStep(t + BlockBytes, a, p) ^ BlockStep(t, b, p + BlockBytes);
        p += Stride;
        count -= Stride;
    }
    while (count >= BlockBytes) {
        crc = BlockStep(t, crc, p);
        p += BlockBytes;
        count -= BlockBytes;
    }
    while (count--) crc = UpdateCrcByte(crc, *p++);
    return crc;
}
