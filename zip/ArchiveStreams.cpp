#include "zip/ArchiveStreams.h"

#include "text/Error.h"
#include "zip/ZipFormat.h"

#include <algorithm>

namespace qx::zip {
namespace {

constexpr const char* kNoRoom = "Not enough room to write archive";

// Undecodable deflate data: the decoder's own word, shown as it stands.
[[noreturn]] void DecoderError() {
    throw Error("error");
}

} // namespace

void ArchiveFileSink::write(const unsigned char* data, std::size_t size) {
    if (size != 0 && device_.write(data, size) != size)
        throw Error(kNoRoom);
}

void ArchiveFileSink::seek(std::uint64_t position) {
    if (!device_.seek(position))
        throw Error(kNoRoom);
}

void EncryptingSink::write(const unsigned char* data, std::size_t size) {
    scratch_.assign(data, data + size);
    cipher_.encrypt(scratch_.data(), size);
    below_.write(scratch_.data(), size);
}

DeflateSink::DeflateSink(ByteSink& below, std::function<void()> afterOutputBlock)
    : below_(below), afterOutputBlock_(std::move(afterOutputBlock)), output_(kOutputBlock) {
    if (deflateInit2(&stream_, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw Error("Cannot start the deflate coder");
}

DeflateSink::~DeflateSink() {
    deflateEnd(&stream_);
}

void DeflateSink::write(const unsigned char* data, std::size_t size) {
    stream_.next_in = const_cast<unsigned char*>(data);
    stream_.avail_in = static_cast<uInt>(size);
    run(Z_NO_FLUSH);
}

void DeflateSink::finish() {
    stream_.next_in = nullptr;
    stream_.avail_in = 0;
    run(Z_FINISH);
}

void DeflateSink::run(int flush) {
    for (;;) {
        stream_.next_out = output_.data();
        stream_.avail_out = static_cast<uInt>(output_.size());
        const int result = deflate(&stream_, flush);
        if (result == Z_STREAM_ERROR)
            throw Error("Deflate coder failed");
        const std::size_t produced = output_.size() - stream_.avail_out;
        if (produced != 0) {
            below_.write(output_.data(), produced);
            if (afterOutputBlock_)
                afterOutputBlock_();
        }
        if (flush == Z_FINISH ? result == Z_STREAM_END : (stream_.avail_in == 0 && stream_.avail_out != 0))
            return;
    }
}

ArchiveEntrySource::ArchiveEntrySource(InputDevice& device, std::uint64_t localHeaderOffset,
                                       std::uint64_t compressedSize)
    : device_(device) {
    unsigned char header[kLocalHeaderSize];
    if (device_.readAt(localHeaderOffset, header, sizeof header) != sizeof header ||
        Get32(header) != kLocalHeaderSignature)
        throw DamagedEntry();
    position_ = localHeaderOffset + kLocalHeaderSize + Get16(header + 26) + Get16(header + 28);
    if (position_ > device_.size())
        throw DamagedEntry();
    // A compressed size past the archive's end leaves the layers above to find the data cut short.
    remaining_ = std::min(compressedSize, device_.size() - position_);
}

std::size_t ArchiveEntrySource::read(unsigned char* data, std::size_t size) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size, remaining_));
    if (want == 0)
        return 0;
    const std::size_t got = device_.readAt(position_, data, want);
    if (got == 0) // the archive's size promised these bytes
        throw DamagedEntry();
    position_ += got;
    remaining_ -= got;
    return got;
}

DecryptingSource::DecryptingSource(ByteSource& below, const std::string& passwordBytes, std::uint8_t checkByte)
    : below_(below), cipher_(passwordBytes) {
    unsigned char header[kEncryptionHeaderSize];
    std::size_t have = 0;
    while (have < sizeof header) {
        const std::size_t got = below_.read(header + have, sizeof header - have);
        if (got == 0)
            throw DamagedEntry();
        have += got;
    }
    cipher_.decrypt(header, sizeof header);
    if (header[kEncryptionHeaderSize - 1] != checkByte) // most likely the wrong password
        throw DamagedEntry();
}

std::size_t DecryptingSource::read(unsigned char* data, std::size_t size) {
    const std::size_t got = below_.read(data, size);
    cipher_.decrypt(data, got);
    return got;
}

InflatingSource::InflatingSource(ByteSource& below) : below_(below), input_(kInputBlock) {
    if (inflateInit2(&stream_, -15) != Z_OK)
        DecoderError();
}

InflatingSource::~InflatingSource() {
    inflateEnd(&stream_);
}

std::size_t InflatingSource::read(unsigned char* data, std::size_t size) {
    while (!ended_) {
        if (stream_.avail_in == 0) {
            stream_.next_in = input_.data();
            stream_.avail_in = static_cast<uInt>(below_.read(input_.data(), input_.size()));
        }
        const bool inputLeft = stream_.avail_in != 0;
        stream_.next_out = data;
        stream_.avail_out = static_cast<uInt>(size);
        const int result = inflate(&stream_, Z_NO_FLUSH);
        if (result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_MEM_ERROR || result == Z_STREAM_ERROR)
            DecoderError();
        ended_ = result == Z_STREAM_END;
        const std::size_t produced = size - stream_.avail_out;
        if (produced != 0)
            return produced;
        // The stored data ended before the deflate stream did: the entry is cut short.
        if (!ended_ && !inputLeft)
            throw DamagedEntry();
    }
    return 0;
}

std::size_t CrcCheckingSource::read(unsigned char* data, std::size_t size) {
    const std::size_t got = below_.read(data, size);
    crc_ = static_cast<std::uint32_t>(crc32_z(crc_, data, got));
    // A stored CRC of 0 is not compared, on purpose: archives of other writers that leave it 0 still pass.
    if (got == 0 && storedCrc_ != 0 && crc_ != storedCrc_)
        throw DamagedEntry();
    return got;
}

} // namespace qx::zip
