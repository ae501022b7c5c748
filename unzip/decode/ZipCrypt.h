// The traditional PKWARE encryption: three 32-bit keys set from the password and updated
// with every plain byte; the key update uses the CRC-32 table. The reader decrypts; zipvol
// pack encrypts with the same keys.
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
    // The byte of the key stream that the next data byte is combined with.
    uint8_t StreamByte() const {
        const uint32_t t = (Key2 | 2) & 0xFFFF;
        return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
    }
    uint8_t DecryptByte(uint8_t cipher) {
        const auto plain = static_cast<uint8_t>(cipher ^ StreamByte());
        Update(plain);
        return plain;
    }
    uint8_t EncryptByte(uint8_t plain) {
        const auto cipher = static_cast<uint8_t>(plain ^ StreamByte());
        Update(plain);
        return cipher;
    }
    // Decrypts count bytes in place.
    void Decrypt(uint8_t* data, size_t count);
    // Encrypts count bytes in place.
    void Encrypt(uint8_t* data, size_t count);
};
