#pragma once
// Fuzz input as a ByteStream, handed out in pieces of a size the input itself chooses,
// so that the readers meet every split of lines and bodies.
#include "net/ByteStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace qx::fuzz {

class MemoryStream : public net::ByteStream {
public:
    MemoryStream(const std::uint8_t* data, std::size_t size) {
        if (size > 0) {
            piece_ = static_cast<std::size_t>(data[0] % 64) + 1;
            data_ = data + 1;
            size_ = size - 1;
        }
    }
    std::size_t readSome(char* buffer, std::size_t size) override {
        std::size_t n = std::min({size, piece_, size_ - pos_});
        if (n == 0)
            return 0; // an empty input has no data pointer to copy from
        std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return n;
    }
    void writeAll(const char*, std::size_t) override {}

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    std::size_t piece_ = 1;
};

} // namespace qx::fuzz
