// The CRC-32 of the ZIP format (reflected polynomial 0xEDB88320, initial value 0xFFFFFFFF,
// final complement): the check of every extracted file and the key update of the traditional
// decryption. Table-driven; the block form takes sixteen bytes per table step.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr uint32_t CrcPolynomial = 0xEDB88320;
constexpr uint32_t CrcInitial = 0xFFFFFFFF;

namespace CrcDetail {

constexpr int BlockBytes = 16;  // bytes of one table step
constexpr int Chains = 2;       // blocks in flight at once in the block form
constexpr int TableCount = BlockBytes * Chains;

using TCrcTable = std::array<uint32_t, 256>;

// Table s holds, for every byte value, the register contribution of that byte followed by s
// zero bytes; table 0 is the classic byte-wise table.
constexpr std::array<TCrcTable, TableCount> MakeTables() {
    std::array<TCrcTable, TableCount> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ CrcPolynomial : c >> 1;
        t[0][i] = c;
    }
    for (int s = 1; s < TableCount; ++s)
        for (uint32_t i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

inline constexpr std::array<TCrcTable, TableCount> Tables = MakeTables();

}  // namespace CrcDetail

// The 256-entry table of the byte-wise CRC (also used by the decryption's key update).
inline constexpr const CrcDetail::TCrcTable& CrcTable = CrcDetail::Tables[0];

// One byte into a running CRC register (not complemented).
inline uint32_t UpdateCrcByte(uint32_t crc, uint8_t b) { return CrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8); }

// count bytes into a running CRC register (not complemented): start with CrcInitial and
// complement the final value. The same result as UpdateCrcByte over every byte.
uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t count);

// The finished CRC-32 of a block.
inline uint32_t Crc32(const void* data, size_t count) { return ~UpdateCrc32(CrcInitial, data, count); }
