#pragma once
// Records of an open table read in large blocks, so that a scan costs one read per
// block and its memory stays the same whatever the size of the table.
#include "dbf/BinaryFile.h"
#include "dbf/TableHeader.h"

#include <cstdint>
#include <vector>

namespace dbf {

class RecordBlocks {
public:
    static constexpr std::size_t kBlockBytes = 1 << 20;

    RecordBlocks(BinaryFile& file, const TableHeader& header, std::uint32_t recordCount);

    // Blocks hold up to kBlockBytes, and never more records than the table has.
    // The record at `index` (< recordCount), or nullptr when the file ends before it
    // (the table was cut short after it was opened: an error of the table).
    const char* record(std::uint32_t index);

private:
    BinaryFile& file_;
    std::uint64_t dataStart_;
    std::uint32_t recordLength_;
    std::uint32_t recordCount_;
    std::uint32_t perBlock_;
    std::vector<char> buffer_;
    std::uint32_t first_ = 0;
    std::uint32_t loaded_ = 0;
};

} // namespace dbf
