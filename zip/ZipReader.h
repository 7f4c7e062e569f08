#pragma once
// The archive reader: reads the central directory (ZIP64 included) and tests entries
// with the password, in memory only. Every offset and length read from the archive is
// checked against the archive's size, so damaged or hostile archives cannot lead it astray.
#include "text/EightBitText.h"
#include "zip/ArchiveDevices.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
    // Threads that `testUntilFailure` tests entries on side by side; 0 (the default) stands for
    // `ZipWorkers()`.
    void setWorkers(int workers) { workers_ = workers; }

    // Throws qx::Error when the archive or its central directory cannot be read.
    void readDirectory();
    int entryCount() const { return static_cast<int>(entries_.size()); }
    const DirectoryEntry& entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }

    // True when the entry passed: right password, the deflate stream decodes to its end and
    // the output carries the stored CRC-32 (not compared when that is 0). A passed entry is not
    // tested again; a failed one fails again. An undecodable deflate stream throws qx::Error("error").
    bool testEntry(int index);

    // Tests the entries in index order until one fails and returns its index, or entryCount()
    // when every entry passed; the entries after a failed one stay untested. With more than one
    // worker the entries are tested side by side and the events raised here while waiting for them.
    int testUntilFailure();

private:
    // Called with the bytes decoded so far after every output block; false abandons the test.
    using OutputProgress = std::function<bool(std::uint64_t produced, std::size_t block)>;

    int testSideBySide(int workers);
    // Runs the entry's bytes up the reader's sources (ArchiveStreams.h) into memory.
    EntryTestState runTest(const DirectoryEntry& entry, const OutputProgress& progress);

    std::string archivePath_;
    std::unique_ptr<InputDevice> device_;
    std::mutex deviceMutex_; // tests side by side share the device
    AnsiText password_;
    ZipReaderEvents events_;
    std::vector<DirectoryEntry> entries_;
    std::uint64_t totalUncompressed_ = 0;
    std::uint64_t totalDone_ = 0;
    int workers_ = 0;
};

} // namespace qx::zip
