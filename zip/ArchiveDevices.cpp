#include "zip/ArchiveDevices.h"

#include "platform/FileStreams.h"

#include <algorithm>
#include <cstring>

namespace qx::zip {
namespace {

constexpr std::size_t kFileBufferSize = 1 << 20;

} // namespace

FileOutputDevice::FileOutputDevice(const std::string& path) : buffer_(new char[kFileBufferSize]) {
    stream_.rdbuf()->pubsetbuf(buffer_.get(), kFileBufferSize);
    platform::OpenForWriting(stream_, path);
}

std::size_t FileOutputDevice::write(const void* data, std::size_t size) {
    if (!stream_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size)))
        return 0;
    position_ += size;
    return size;
}

bool FileOutputDevice::seek(std::uint64_t position) {
    if (!stream_.seekp(static_cast<std::streamoff>(position)))
        return false;
    position_ = position;
    return true;
}

bool FileOutputDevice::close() {
    if (!stream_.is_open())
        return false;
    stream_.flush();
    const bool good = stream_.good();
    stream_.close();
    return good && !stream_.fail();
}

FileInputDevice::FileInputDevice(const std::string& path) {
    platform::OpenForReading(stream_, path);
    if (stream_.is_open()) {
        stream_.seekg(0, std::ios::end);
        const auto end = stream_.tellg();
        size_ = end < 0 ? 0 : static_cast<std::uint64_t>(end);
        stream_.seekg(0);
    }
}

std::size_t FileInputDevice::readAt(std::uint64_t offset, void* data, std::size_t size) {
    if (offset >= size_ || size == 0)
        return 0;
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - offset));
    stream_.clear();
    if (position_ != offset && !stream_.seekg(static_cast<std::streamoff>(offset))) {
        position_ = size_ + 1;
        return 0;
    }
    stream_.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    const auto got = static_cast<std::size_t>(stream_.gcount());
    position_ = offset + got;
    return got;
}

std::size_t MemoryInputDevice::readAt(std::uint64_t offset, void* data, std::size_t size) {
    if (offset >= size_)
        return 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - offset));
    std::memcpy(data, data_ + offset, n);
    return n;
}

} // namespace qx::zip
