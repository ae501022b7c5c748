// The traditional decryption and encryption of whole buffers. Each byte depends on the keys
// left by the one before, so the decryption loop keeps the keys in locals and does nothing
// else; encryption (zipvol pack) is not on the installer's path and stays plain.
#include "unzip/decode/ZipCrypt.h"

void TZipKeys::Init(const AnsiString& password) {
    Key0 = Initial0;
    Key1 = Initial1;
    Key2 = Initial2;
    for (char c : password) Update(static_cast<uint8_t>(c));
}

void TZipKeys::Decrypt(uint8_t* data, size_t count) {
    uint32_t k0 = Key0, k1 = Key1, k2 = Key2;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t t = (k2 | 2) & 0xFFFF;
        const auto plain = static_cast<uint8_t>(data[i] ^ ((t * (t ^ 1)) >> 8));
        data[i] = plain;
        k0 = UpdateCrcByte(k0, plain);
        k1 = (k1 + (k0 & 0xFF)) * Multiplier + 1;
        k2 = UpdateCrcByte(k2, static_cast<uint8_t>(k1 >> 24));
    }
    Key0 = k0;
    Key1 = k1;
    Key2 = k2;
}

void TZipKeys::Encrypt(uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) data[i] = EncryptByte(data[i]);
}
