#pragma once
// The devices under the archive streams: where the writer's bytes go and where the
// reader's come from. Tests replace them (a device that runs out of room, a buffer).
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

namespace qx::zip {

class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    // Returns the number of bytes stored; fewer than asked means the medium is full or failing.
    virtual std::size_t write(const void* data, std::size_t size) = 0;
    virtual bool seek(std::uint64_t position) = 0;
    virtual std::uint64_t position() const = 0;
    // Flushes and closes; false when the last bytes could not be stored.
    virtual bool close() = 0;
};

class InputDevice {
public:
    virtual ~InputDevice() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to `size` bytes at `offset`; returns how many were read (0 past the end).
    virtual std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) = 0;
};

// A new file, replacing any old one.
class FileOutputDevice : public OutputDevice {
public:
    explicit FileOutputDevice(const std::string& path);
    bool isOpen() const { return stream_.is_open(); }
    std::size_t write(const void* data, std::size_t size) override;
    bool seek(std::uint64_t position) override;
    std::uint64_t position() const override { return position_; }
    bool close() override;

private:
    std::ofstream stream_;
    std::unique_ptr<char[]> buffer_;
    std::uint64_t position_ = 0;
};

class FileInputDevice : public InputDevice {
public:
    explicit FileInputDevice(const std::string& path);
    bool isOpen() const { return stream_.is_open(); }
    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) override;

private:
    std::ifstream stream_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

class MemoryInputDevice : public InputDevice {
public:
    MemoryInputDevice(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) override;

private:
    const unsigned char* data_;
    std::size_t size_;
};

} // namespace qx::zip
