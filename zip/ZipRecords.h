#pragma once
// Builds the writer's header records: local header, central directory record and the end records.
#include <cstdint>
#include <string>

namespace qx::zip {

struct EntryFields {
    std::string storedName; // OEM bytes, or UTF-8 with the UTF-8 flag
    bool utf8Name = false;
    std::uint16_t flags = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t localHeaderOffset = 0;
    bool zip64Sizes = false;  // sizes kept in a ZIP64 field (decided before the data is written)
    bool zip64Offset = false; // local header offset kept in a ZIP64 field
};

std::string LocalHeader(const EntryFields& entry);
std::string CentralRecord(const EntryFields& entry);
// The end of the archive after the central directory: ZIP64 end record and locator only on overflow.
std::string EndRecords(std::uint64_t entryCount, std::uint64_t directorySize, std::uint64_t directoryOffset);

} // namespace qx::zip
