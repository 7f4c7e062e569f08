#include "zip/ZipWriter.h"

#include "platform/FileSystem.h"
#include "text/Error.h"
#include "zip/EntryWriter.h"
#include "zip/WorkerPool.h"
#include "zip/ZipFormat.h"

#include <optional>
#include <random>

namespace qx::zip {
namespace {

std::unique_ptr<OutputDevice> OpenArchiveFile(const std::string& path) {
    auto device = std::make_unique<FileOutputDevice>(path);
    if (!device->isOpen())
        throw Error("Cannot create file \"" + path + "\"");
    return device;
}

// Ten fresh random bytes per file; tests replace the source to repeat an archive byte for byte.
ZipWriter::RandomSource SystemRandom() {
    return [engine = std::mt19937(std::random_device{}())]() mutable {
        return static_cast<std::uint8_t>(engine() & 0xFF);
    };
}

} // namespace

ZipWriter::ZipWriter() : random_(SystemRandom()), deviceFactory_(OpenArchiveFile) {}

std::string ZipWriter::rootWithSeparator() const {
    if (!rootFolder_.empty() && rootFolder_.back() == platform::kPathSeparator)
        return rootFolder_;
    return rootFolder_ + platform::kPathSeparator;
}

std::string ZipWriter::temporaryPathFor() const {
    std::string folder = tempFolder_.empty() ? platform::FolderOf(archivePath_) : tempFolder_;
    if (!folder.empty() && folder.back() != platform::kPathSeparator)
        folder += platform::kPathSeparator;
    for (int n = 0;; ++n) {
        const std::string candidate = folder + "~qx" + std::to_string(n) + ".tmp";
        if (!platform::PathExists(candidate))
            return candidate;
    }
}

int ZipWriter::pack() {
    const auto files = SelectFiles(rootWithSeparator(), masks_, archivePath_);
    PackProgress progress;
    for (const auto& file : files)
        progress.totalBytes += file.size;

    // An old archive that could not be deleted is replaced only once the new one is complete.
    const bool replaceOld = platform::PathExists(archivePath_);
    const std::string target = replaceOld ? temporaryPathFor() : archivePath_;

    std::vector<EntryFields> entries;
    try {
        auto device = deviceFactory_(target);
        ArchiveFileSink archive(*device);
        const int workers = workers_ > 0 ? workers_ : ZipWorkers();
        std::optional<WorkerPool> pool;
        std::optional<ParallelDeflate> parallel;
        if (workers > 1) {
            pool.emplace(workers);
            parallel.emplace(*pool, EntryWriter::kInputBlock);
        }
        EntryWriter writer(archive, password_.bytes, events_, random_, progress, parallel ? &*parallel : nullptr);
        for (const auto& file : files)
            if (auto entry = writer.write(file))
                entries.push_back(std::move(*entry));

        const std::uint64_t directoryOffset = archive.position();
        for (const auto& entry : entries)
            archive.write(CentralRecord(entry));
        const std::uint64_t directorySize = archive.position() - directoryOffset;
        archive.write(EndRecords(entries.size(), directorySize, directoryOffset));
        if (!device->close())
            throw Error("Not enough room to write archive");
    } catch (...) {
        if (replaceOld) // a half-written temporary file helps nobody
            platform::DeleteFilePath(target);
        throw;
    }
    if (replaceOld) {
        platform::DeleteFilePath(archivePath_);
        if (!platform::RenameReplacing(target, archivePath_)) {
            platform::DeleteFilePath(target);
            throw Error("Cannot create file \"" + archivePath_ + "\"");
        }
    }

    if (events_.totalPercent)
        events_.totalPercent(100);
    masks_.clear();
    const int count = static_cast<int>(entries.size());
    if (events_.complete)
        events_.complete(count);
    return count;
}

} // namespace qx::zip
