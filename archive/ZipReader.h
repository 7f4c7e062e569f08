#pragma once
// The archive reader: reads the central directory (ZIP64 included) and tests entries
// with the password, in memory only. Every offset and length read from the archive is
// checked against the archive's size, so damaged or hostile archives cannot lead it astray.
#include "archive/ArchiveDevices.h"
#include "text/EightBitText.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qx::zip {

enum class EntryTestState { Untested, Passed, Failed };

struct ZipReaderEvents {
    std::function<void(const std::string& storedName)> entryStart;
    std::function<void(int percent)> filePercent;
    std::function<void(int percent)> totalPercent;
};

struct DirectoryEntry {
    std::string storedName; // bytes as stored
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
    EntryTestState state = EntryTestState::Untested;
};

class ZipReader {
public:
    // Forgets the directory and the test states of the previous archive.
    void setArchivePath(const std::string& path);
    // Reads from a device instead of a file (fuzzing, tests).
    void setDevice(std::unique_ptr<InputDevice> device);
    void setPassword(const AnsiText& password) { password_ = password; }
    void setEvents(ZipReaderEvents events) { events_ = std::move(events); }

    // Throws qx::Error when the archive or its central directory cannot be read.
    void readDirectory();
    int entryCount() const { return static_cast<int>(entries_.size()); }
    const DirectoryEntry& entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }

    // True when the entry passed: right password, the deflate stream decodes to its end and
    // the output carries the stored CRC-32 (not compared when that is 0). A passed entry is not
    // tested again; a failed one fails again. An undecodable deflate stream throws qx::Error("error").
    bool testEntry(int index);

private:
    EntryTestState runTest(DirectoryEntry& entry);
    std::string readExact(std::uint64_t offset, std::size_t size);

    std::string archivePath_;
    std::unique_ptr<InputDevice> device_;
    AnsiText password_;
    ZipReaderEvents events_;
    std::vector<DirectoryEntry> entries_;
    std::uint64_t totalUncompressed_ = 0;
    std::uint64_t totalDone_ = 0;
};

} // namespace qx::zip
