#include "net/LineReader.h"

#include "text/Error.h"

#include <algorithm>

namespace qx::net {

namespace {
constexpr std::size_t kChunk = 16384;
}

bool LineReader::fill() {
    if (pos_ > 0) {
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    char chunk[kChunk];
    std::size_t n = stream_.readSome(chunk, sizeof chunk);
    if (n == 0)
        return false;
    buffer_.append(chunk, n);
    return true;
}

std::optional<std::string> LineReader::readLine(std::size_t maxLength) {
    std::size_t scanned = 0; // bytes after pos_ already searched; fill() may move the buffer
    for (;;) {
        std::size_t end = buffer_.find('\n', pos_ + scanned);
        if (end != std::string::npos && end - pos_ <= maxLength) {
            std::string line = buffer_.substr(pos_, end - pos_);
            pos_ = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (buffer_.size() - pos_ > maxLength)
            throw Error("Line too long.");
        scanned = buffer_.size() - pos_;
        if (!fill()) {
            if (pos_ == buffer_.size())
                return std::nullopt;
            std::string rest = buffer_.substr(pos_);
            pos_ = buffer_.size();
            return rest;
        }
    }
}

std::string_view LineReader::readSome(std::size_t maxSize) {
    if (pos_ == buffer_.size() && !fill())
        return {};
    std::string_view piece(buffer_.data() + pos_, std::min(maxSize, buffer_.size() - pos_));
    pos_ += piece.size();
    return piece;
}

void LineReader::discardBuffered() {
    buffer_.clear();
    pos_ = 0;
}

} // namespace qx::net
