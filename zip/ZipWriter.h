#pragma once
// The archive writer: packs the selected files of one folder into a ZIP archive with
// raw deflate and traditional PKWARE encryption, raising its events as it goes.
#include "text/EightBitText.h"
#include "zip/ArchiveDevices.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qx::zip {

struct ZipWriterEvents {
    std::function<void(const std::string& name)> entryStart; // the stored name as UTF-8
    std::function<void(int percent)> filePercent;
    std::function<void(int percent)> totalPercent;
    std::function<void()> outputBlock; // after every block written to the archive
    std::function<void(int entries)> complete;
};

class ZipWriter {
public:
    using DeviceFactory = std::function<std::unique_ptr<OutputDevice>(const std::string& path)>;
    using RandomSource = std::function<std::uint8_t()>;

    ZipWriter();

    void setArchivePath(const std::string& path) { archivePath_ = path; }
    const std::string& archivePath() const { return archivePath_; }
    void setRootFolder(const std::string& folder) { rootFolder_ = folder; }
    void setTempFolder(const std::string& folder) { tempFolder_ = folder; }
    void clearMasks() { masks_.clear(); }
    void addMask(const std::string& mask) { masks_.push_back(mask); }
    const std::vector<std::string>& masks() const { return masks_; }
    // The password bytes in the ANSI code page.
    void setPassword(const AnsiText& password) { password_ = password; }
    void setEvents(ZipWriterEvents events) { events_ = std::move(events); }
    // Threads that deflate each file side by side; 0 (the default) stands for `ZipWorkers()`.
    // One worker writes every file as a single deflate stream.
    void setWorkers(int workers) { workers_ = workers; }

    // Tests fix the ten random bytes of each encryption header, and may supply a failing device.
    void setRandomSource(RandomSource source) { random_ = std::move(source); }
    void setDeviceFactory(DeviceFactory factory) { deviceFactory_ = std::move(factory); }

    // Writes the archive; returns the number of entries. Throws qx::Error when it cannot be written.
    int pack();

private:
    std::string rootWithSeparator() const;
    std::string temporaryPathFor() const;

    std::string archivePath_;
    std::string rootFolder_;
    std::string tempFolder_;
    std::vector<std::string> masks_;
    AnsiText password_;
    ZipWriterEvents events_;
    RandomSource random_;
    DeviceFactory deviceFactory_;
    int workers_ = 0;
};

} // namespace qx::zip
