// The CRC-32: known values, and the block form against the fixture writer's bit-wise CRC
// for every length and alignment around the block and pair boundaries.
#include "tests/common/ZipWriter.h"
#include "unzip/decode/Crc32.h"

#include <gtest/gtest.h>

#include <string>

TEST(Crc32, KnownValues) {
    EXPECT_EQ(Crc32("", 0), 0u);
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
    EXPECT_EQ(CrcTable[1], 0x77073096u);
    EXPECT_EQ(CrcTable[255], 0x2D02EF8Du);
}

TEST(Crc32, BlockFormEqualsBitwiseForEveryLengthAndAlignment) {
    std::string data(300, '\0');
    uint32_t seed = 7;
    for (char& c : data) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 23);
    }
    for (size_t offset = 0; offset < 8; ++offset)
        for (size_t len = 0; offset + len <= data.size(); ++len) {
            const std::string piece = data.substr(offset, len);
            ASSERT_EQ(Crc32(data.data() + offset, len), ZipFixture::ReferenceCrc32(piece))
                << "offset " << offset << " length " << len;
        }
}

TEST(Crc32, RunningRegisterSplitsAnywhere) {
    std::string data(16000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 + (i >> 7));
    const uint32_t whole = Crc32(data.data(), data.size());
    for (size_t cut : {size_t(1), size_t(15), size_t(63), size_t(64), size_t(8000), size_t(15999)}) {
        uint32_t crc = UpdateCrc32(CrcInitial, data.data(), cut);
        crc = UpdateCrc32(crc, data.data() + cut, data.size() - cut);
        EXPECT_EQ(~crc, whole) << cut;
    }
    uint32_t bytewise = CrcInitial;
    for (char c : data) bytewise = UpdateCrcByte(bytewise, static_cast<uint8_t>(c));
    EXPECT_EQ(~bytewise, whole);
}
