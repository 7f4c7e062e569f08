#include "dbf/RecordBlocks.h"

#include <algorithm>

namespace dbf {

RecordBlocks::RecordBlocks(BinaryFile& file, const TableHeader& header, std::uint32_t recordCount)
    : file_(file), dataStart_(header.headerLength), recordLength_(header.recordLength), recordCount_(recordCount),
      perBlock_(static_cast<std::uint32_t>(
          std::max<std::size_t>(1, std::min<std::size_t>(kBlockBytes / header.recordLength, recordCount)))) {}

const char* RecordBlocks::record(std::uint32_t index) {
    if (index < first_ || index >= first_ + loaded_) {
        const std::uint32_t count = std::min(perBlock_, recordCount_ - index);
        buffer_.resize(static_cast<std::size_t>(perBlock_) * recordLength_);
        const std::size_t got = file_.readAt(dataStart_ + static_cast<std::uint64_t>(index) * recordLength_,
                                             buffer_.data(), static_cast<std::size_t>(count) * recordLength_);
        first_ = index;
        loaded_ = static_cast<std::uint32_t>(got / recordLength_);
        if (loaded_ == 0)
            return nullptr;
    }
    return buffer_.data() + static_cast<std::size_t>(index - first_) * recordLength_;
}

} // namespace dbf
