#pragma once
// The archive's stream layers. The writer's sinks, each over the one below: archive file <- encryption <- deflate;
// a short write anywhere ends the pack. The reader's sources, each over the one below: archive file ->
// decryption -> inflate -> CRC check; a fault in an entry's stored data throws DamagedEntry.
#include "zip/ArchiveDevices.h"
#include "zip/PkwareCipher.h"

#include <zlib.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
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

// The entry's stored data is damaged or cut short: the entry fails its test.
class DamagedEntry : public std::exception {
public:
    const char* what() const noexcept override { return "damaged entry"; }
};

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to `size` bytes; 0 only when the source has ended.
    virtual std::size_t read(unsigned char* data, std::size_t size) = 0;
};

// The stored bytes of one entry: found through its local header, and no more of them than the
// central directory's compressed size or the archive holds.
class ArchiveEntrySource : public ByteSource {
public:
    // Throws DamagedEntry when no local header is at the offset or its data would start past the archive's end.
    ArchiveEntrySource(InputDevice& device, std::uint64_t localHeaderOffset, std::uint64_t compressedSize);
    std::size_t read(unsigned char* data, std::size_t size) override;

private:
    InputDevice& device_;
    std::uint64_t position_ = 0;
    std::uint64_t remaining_ = 0;
};

// Decrypts every byte on its way up, after the 12-byte encryption header has shown the password right.
class DecryptingSource : public ByteSource {
public:
    // Reads the header at once; throws DamagedEntry when it is cut short or does not end in `checkByte`.
    DecryptingSource(ByteSource& below, const std::string& passwordBytes, std::uint8_t checkByte);
    std::size_t read(unsigned char* data, std::size_t size) override;

private:
    ByteSource& below_;
    PkwareCipher cipher_;
};

// Raw inflate (window bits -15), reading the layer below in blocks of up to 32,768 bytes. A read hands
// up the output of one inflate call, so progress follows the decoder's output blocks. Undecodable data
// throws qx::Error("error"); data that ends before the deflate stream does throws DamagedEntry.
class InflatingSource : public ByteSource {
public:
    static constexpr std::size_t kInputBlock = 32768;

    explicit InflatingSource(ByteSource& below);
    ~InflatingSource() override;
    InflatingSource(const InflatingSource&) = delete;
    InflatingSource& operator=(const InflatingSource&) = delete;

    std::size_t read(unsigned char* data, std::size_t size) override;

private:
    ByteSource& below_;
    z_stream stream_{};
    std::vector<unsigned char> input_;
    bool ended_ = false;
};

// Computes the CRC-32 of what passes and compares it with the stored one at the end (not when that is 0).
class CrcCheckingSource : public ByteSource {
public:
    CrcCheckingSource(ByteSource& below, std::uint32_t storedCrc) : below_(below), storedCrc_(storedCrc) {}
    std::size_t read(unsigned char* data, std::size_t size) override;

private:
    ByteSource& below_;
    std::uint32_t storedCrc_;
    std::uint32_t crc_ = 0;
};

} // namespace qx::zip
