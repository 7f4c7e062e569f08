#pragma once
// The writer's stream layers, each over the one below: archive file <- encryption <- deflate.
// Each layer checks what the layer below did; a short write anywhere ends the pack.
#include "zip/ArchiveDevices.h"
#include "zip/PkwareCipher.h"

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace qx::zip {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const unsigned char* data, std::size_t size) = 0;
};

// The archive file: counts the bytes and turns a short write into the error the operator sees.
class ArchiveFileSink : public ByteSink {
public:
    explicit ArchiveFileSink(OutputDevice& device) : device_(device) {}
    void write(const unsigned char* data, std::size_t size) override;
    void write(const std::string& record) {
        write(reinterpret_cast<const unsigned char*>(record.data()), record.size());
    }
    void seek(std::uint64_t position);
    std::uint64_t position() const { return device_.position(); }

private:
    OutputDevice& device_;
};

// Encrypts every byte on its way down.
class EncryptingSink : public ByteSink {
public:
    EncryptingSink(ByteSink& below, const std::string& passwordBytes) : below_(below), cipher_(passwordBytes) {}
    void write(const unsigned char* data, std::size_t size) override;

private:
    ByteSink& below_;
    PkwareCipher cipher_;
    std::vector<unsigned char> scratch_;
};

// Raw deflate (zlib level 6, window bits -15, memory level 8); output leaves in blocks of up to 65,535 bytes.
class DeflateSink : public ByteSink {
public:
    static constexpr std::size_t kOutputBlock = 65535;

    // `afterOutputBlock` runs after every block handed down (the window processes its messages there).
    DeflateSink(ByteSink& below, std::function<void()> afterOutputBlock);
    ~DeflateSink() override;
    DeflateSink(const DeflateSink&) = delete;
    DeflateSink& operator=(const DeflateSink&) = delete;

    void write(const unsigned char* data, std::size_t size) override;
    // Ends the stream and hands down what remains.
    void finish();

private:
    void run(int flush);

    ByteSink& below_;
    std::function<void()> afterOutputBlock_;
    z_stream stream_{};
    std::vector<unsigned char> output_;
};

} // namespace qx::zip
