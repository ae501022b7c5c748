// The traditional PKWARE decryption: three 32-bit keys set from the password and updated
// with every plain byte; the key update uses the CRC-32 table.
#pragma once

#include "platform/rtl/Types.h"
#include "unzip/decode/Crc32.h"

#include <cstddef>
#include <cstdint>

constexpr uint32_t EncryptionHeaderSize = 12;  // bytes in front of an encrypted entry's data

struct TZipKeys {
    static constexpr uint32_t Initial0 = 0x12345678;
    static constexpr uint32_t Initial1 = 0x23456789;
    static constexpr uint32_t Initial2 = 0x34567890;
    static constexpr uint32_t Multiplier = 134775813;

    uint32_t Key0 = Initial0;
    uint32_t Key1 = Initial1;
    uint32_t Key2 = Initial2;

    // The keys afresh from the password (its CP1251 bytes).
    void Init(const AnsiString& password);

    void Update(uint8_t plain) {
        Key0 = UpdateCrcByte(Key0, plain);
        Key1 = (Key1 + (Key0 & 0xFF)) * Multiplier + 1;
        Key2 = UpdateCrcByte(Key2, static_cast<uint8_t>(Key1 >> 24));
    }
    uint8_t DecryptByte(uint8_t cipher) {
        const uint32_t t = (Key2 | 2) & 0xFFFF;
        const auto plain = static_cast<uint8_t>(cipher ^ ((t * (t ^ 1)) >> 8));
        Update(plain);
        return plain;
    }
    // Decrypts count bytes in place.
    void Decrypt(uint8_t* data, size_t count);
};
