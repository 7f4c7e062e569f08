#include "zip/ZipReader.h"

#include "text/Error.h"
#include "zip/ArchiveStreams.h"
#include "zip/CentralDirectory.h"
#include "zip/WorkerPool.h"
#include "zip/ZipFormat.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <vector>

namespace qx::zip {
namespace {

constexpr std::size_t kBlock = 32768;

// The APPNOTE's check byte: the time's high byte when a data descriptor follows the data, else the CRC-32's.
std::uint8_t CheckByte(const DirectoryEntry& entry) {
    return static_cast<std::uint8_t>((entry.flags & kFlagDataDescriptor) ? entry.dosTime >> 8 : entry.crc >> 24);
}

// Tests side by side share the archive's device: each read takes its turn.
class TurnTakingDevice : public InputDevice {
public:
    TurnTakingDevice(InputDevice& device, std::mutex& mutex) : device_(device), mutex_(mutex) {}
    std::uint64_t size() const override { return device_.size(); }
    std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) override {
        std::lock_guard lock(mutex_);
        return device_.readAt(offset, data, size);
    }

private:
    InputDevice& device_;
    std::mutex& mutex_;
};

} // namespace

void ZipReader::setArchivePath(const std::string& path) {
    archivePath_ = path;
    device_.reset();
    entries_.clear();
}

void ZipReader::setDevice(std::unique_ptr<InputDevice> device) {
    archivePath_.clear();
    device_ = std::move(device);
    entries_.clear();
}

void ZipReader::readDirectory() {
    entries_.clear();
    totalUncompressed_ = 0;
    totalDone_ = 0;
    if (!archivePath_.empty()) {
        auto file = std::make_unique<FileInputDevice>(archivePath_);
        if (!file->isOpen())
            throw Error("Cannot open file \"" + archivePath_ + "\"");
        device_ = std::move(file);
    }
    if (!device_)
        throw Error("No archive to read");
    entries_ = ReadCentralDirectory(*device_);
    for (const auto& entry : entries_) // saturating: the sizes of a hostile archive may be anything
        totalUncompressed_ = std::max(totalUncompressed_, totalUncompressed_ + entry.uncompressedSize);
}

bool ZipReader::testEntry(int index) {
    DirectoryEntry& entry = entries_.at(static_cast<std::size_t>(index));
    if (entry.state == EntryTestState::Untested) {
        if (events_.entryStart)
            events_.entryStart(entry.storedName);
        entry.state = runTest(entry, [this, &entry](std::uint64_t produced, std::size_t block) {
            totalDone_ += block;
            if (events_.filePercent)
                events_.filePercent(Percent(produced, entry.uncompressedSize));
            if (events_.totalPercent)
                events_.totalPercent(Percent(totalDone_, totalUncompressed_));
            return true;
        });
    }
    return entry.state == EntryTestState::Passed;
}

int ZipReader::testUntilFailure() {
    const int workers = workers_ > 0 ? workers_ : ZipWorkers();
    if (workers > 1 && entryCount() > 1)
        return testSideBySide(workers);
    for (int index = 0; index < entryCount(); ++index)
        if (!testEntry(index))
            return index;
    return entryCount();
}

int ZipReader::testSideBySide(int workers) {
    struct Test {
        std::atomic<std::uint64_t> produced{0};
        EntryTestState state = EntryTestState::Untested;
        std::future<void> done;
    };
    const auto count = static_cast<std::size_t>(entryCount());
    std::vector<Test> tests(count);
    std::atomic<std::uint64_t> totalDone{totalDone_};
    std::atomic<bool> stop{false};
    // Declared after the tests: its threads are joined before the tests go away.
    WorkerPool pool(std::min(workers, entryCount()));
    // Whatever ends the wait, the tests still running stop at their next block.
    struct StopOnExit {
        std::atomic<bool>& stop;
        ~StopOnExit() { stop = true; }
    } stopOnExit{stop};

    for (std::size_t i = 0; i < count; ++i) {
        if (entries_[i].state != EntryTestState::Untested)
            continue;
        tests[i].done = pool.submit([this, i, &tests, &totalDone, &stop](int) {
            if (stop)
                return;
            tests[i].state = runTest(entries_[i], [&](std::uint64_t produced, std::size_t block) {
                tests[i].produced = produced;
                totalDone += block;
                return !stop;
            });
        });
    }

    const auto report = [&](std::size_t i) {
        if (events_.filePercent)
            events_.filePercent(Percent(tests[i].produced, entries_[i].uncompressedSize));
        if (events_.totalPercent)
            events_.totalPercent(Percent(totalDone, totalUncompressed_));
    };
    for (std::size_t i = 0; i < count; ++i) {
        DirectoryEntry& entry = entries_[i];
        if (entry.state == EntryTestState::Untested) {
            if (events_.entryStart)
                events_.entryStart(entry.storedName);
            while (tests[i].done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
                report(i);
            tests[i].done.get(); // an undecodable stream ends the check here, in entry order
            report(i);
            entry.state = tests[i].state;
        }
        if (entry.state == EntryTestState::Failed) {
            totalDone_ = totalDone;
            return static_cast<int>(i);
        }
    }
    totalDone_ = totalDone;
    return entryCount();
}

EntryTestState ZipReader::runTest(const DirectoryEntry& entry, const OutputProgress& progress) {
    TurnTakingDevice device(*device_, deviceMutex_);
    try {
        ArchiveEntrySource stored(device, entry.localHeaderOffset, entry.compressedSize);
        std::optional<DecryptingSource> decrypted;
        if (entry.flags & kFlagEncrypted)
            decrypted.emplace(stored, password_.bytes, CheckByte(entry));
        ByteSource& plain = decrypted ? static_cast<ByteSource&>(*decrypted) : stored;
        if (entry.method != kMethodDeflate && entry.method != kMethodStored)
            return EntryTestState::Failed;
        std::optional<InflatingSource> inflated;
        if (entry.method == kMethodDeflate)
            inflated.emplace(plain);
        CrcCheckingSource checked(inflated ? static_cast<ByteSource&>(*inflated) : plain, entry.crc);

        std::vector<unsigned char> block(kBlock);
        std::uint64_t produced = 0;
        while (const std::size_t got = checked.read(block.data(), block.size())) {
            produced += got;
            if (!progress(produced, got))
                return EntryTestState::Untested;
        }
        return EntryTestState::Passed;
    } catch (const DamagedEntry&) {
        return EntryTestState::Failed;
    }
}

} // namespace qx::zip
