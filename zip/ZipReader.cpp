#include "zip/ZipReader.h"

#include "text/Error.h"
#include "zip/CentralDirectory.h"
#include "zip/PkwareCipher.h"
#include "zip/WorkerPool.h"
#include "zip/ZipFormat.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <vector>

namespace qx::zip {
namespace {

constexpr std::size_t kBlock = 32768;

// Undecodable deflate data: the decoder's own word, shown as it stands.
[[noreturn]] void DecoderError() {
    throw Error("error");
}

class Inflater {
public:
    Inflater() {
        if (inflateInit2(&stream_, -15) != Z_OK)
            DecoderError();
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
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

std::size_t ZipReader::readAt(std::uint64_t offset, void* data, std::size_t size) {
    std::lock_guard lock(deviceMutex_);
    return device_->readAt(offset, data, size);
}

std::string ZipReader::readExact(std::uint64_t offset, std::size_t size) {
    std::string data(size, '\0');
    if (readAt(offset, data.data(), size) != size)
        data.clear();
    return data;
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
    const std::string local = readExact(entry.localHeaderOffset, kLocalHeaderSize);
    if (local.empty() || Get32(reinterpret_cast<const unsigned char*>(local.data())) != kLocalHeaderSignature)
        return EntryTestState::Failed;
    const auto* header = reinterpret_cast<const unsigned char*>(local.data());
    std::uint64_t position = entry.localHeaderOffset + kLocalHeaderSize + Get16(header + 26) + Get16(header + 28);
    std::uint64_t remaining = entry.compressedSize;
    if (position > device_->size())
        return EntryTestState::Failed;
    remaining = std::min(remaining, device_->size() - position);

    std::optional<PkwareCipher> cipher;
    if (entry.flags & kFlagEncrypted) {
        if (remaining < kEncryptionHeaderSize)
            return EntryTestState::Failed;
        std::string encryptionHeader = readExact(position, kEncryptionHeaderSize);
        if (encryptionHeader.empty())
            return EntryTestState::Failed;
        cipher.emplace(password_.bytes);
        cipher->decrypt(reinterpret_cast<unsigned char*>(encryptionHeader.data()), kEncryptionHeaderSize);
        const auto check =
            static_cast<std::uint8_t>((entry.flags & kFlagDataDescriptor) ? entry.dosTime >> 8 : entry.crc >> 24);
        if (static_cast<std::uint8_t>(encryptionHeader[kEncryptionHeaderSize - 1]) != check)
            return EntryTestState::Failed;
        position += kEncryptionHeaderSize;
        remaining -= kEncryptionHeaderSize;
    }
    if (entry.method != kMethodDeflate && entry.method != kMethodStored)
        return EntryTestState::Failed;

    std::vector<unsigned char> input(kBlock);
    std::vector<unsigned char> output(kBlock);
    std::uint32_t crc = 0;
    std::uint64_t produced = 0;
    auto takeOutput = [&](const unsigned char* data, std::size_t size) {
        crc = static_cast<std::uint32_t>(crc32_z(crc, data, size));
        produced += size;
        return progress(produced, size);
    };
    auto readInput = [&]() -> std::size_t {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, remaining));
        const std::size_t got = want == 0 ? 0 : readAt(position, input.data(), want);
        if (cipher)
            cipher->decrypt(input.data(), got);
        position += got;
        remaining -= got;
        return got;
    };

    if (entry.method == kMethodStored) {
        while (remaining != 0) {
            const std::size_t got = readInput();
            if (got == 0)
                return EntryTestState::Failed;
            if (!takeOutput(input.data(), got))
                return EntryTestState::Untested;
        }
    } else {
        Inflater inflater;
        z_stream& z = inflater.stream();
        int result = Z_OK;
        while (result != Z_STREAM_END) {
            if (z.avail_in == 0) {
                z.avail_in = static_cast<uInt>(readInput());
                z.next_in = input.data();
            }
            const bool inputLeft = z.avail_in != 0;
            z.next_out = output.data();
            z.avail_out = static_cast<uInt>(output.size());
            result = inflate(&z, Z_NO_FLUSH);
            if (result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_MEM_ERROR || result == Z_STREAM_ERROR)
                DecoderError();
            const std::size_t size = output.size() - z.avail_out;
            if (size != 0 && !takeOutput(output.data(), size))
                return EntryTestState::Untested;
            // The stored data ended before the deflate stream did: the archive is cut short.
            if (result != Z_STREAM_END && !inputLeft && size == 0)
                return EntryTestState::Failed;
        }
    }
    return (entry.crc == 0 || crc == entry.crc) ? EntryTestState::Passed : EntryTestState::Failed;
}

} // namespace qx::zip
