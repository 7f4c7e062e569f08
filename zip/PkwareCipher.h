#pragma once
// Traditional PKWARE encryption: three 32-bit keys updated by every plain byte.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qx::zip {

class PkwareCipher {
public:
    // Keys start from the APPNOTE's initial values and take in the password bytes.
    explicit PkwareCipher(const std::string& passwordBytes);

    std::uint8_t encrypt(std::uint8_t plain) {
        const std::uint8_t cipher = plain ^ streamByte();
        updateKeys(plain);
        return cipher;
    }
    std::uint8_t decrypt(std::uint8_t cipher) {
        const std::uint8_t plain = cipher ^ streamByte();
        updateKeys(plain);
        return plain;
    }
    void encrypt(unsigned char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            data[i] = encrypt(data[i]);
    }
    void decrypt(unsigned char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            data[i] = decrypt(data[i]);
    }

private:
    std::uint8_t streamByte() const {
        // Unsigned 32-bit arithmetic: a 16-bit value would be promoted to int and the product overflow it.
        const std::uint32_t temp = (key2_ | 2) & 0xFFFFu;
        return static_cast<std::uint8_t>((temp * (temp ^ 1u)) >> 8);
    }
    void updateKeys(std::uint8_t plain) {
        key0_ = Crc32Step(key0_, plain);
        key1_ = (key1_ + (key0_ & 0xFF)) * 134775813u + 1;
        key2_ = Crc32Step(key2_, static_cast<std::uint8_t>(key1_ >> 24));
    }
    static std::uint32_t Crc32Step(std::uint32_t crc, std::uint8_t byte) {
        return kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    }

    static const std::uint32_t* const kCrcTable;
    std::uint32_t key0_ = 0x12345678;
    std::uint32_t key1_ = 0x23456789;
    std::uint32_t key2_ = 0x34567890;
};

} // namespace qx::zip
