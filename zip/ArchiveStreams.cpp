#include "zip/ArchiveStreams.h"

#include "text/Error.h"

namespace qx::zip {
namespace {

constexpr const char* kNoRoom = "Not enough room to write archive";

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

} // namespace qx::zip
