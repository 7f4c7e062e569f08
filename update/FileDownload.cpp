#include "update/FileDownload.h"

#include "platform/FileSystem.h"
#include "update/LocalFile.h"

#include <fstream>

namespace qx::update {

namespace {

class TextSink : public HttpBodySink {
public:
    bool begin(std::optional<std::uint64_t>) override { return true; }
    bool write(const char* data, std::size_t size) override {
        text.append(data, size);
        return true;
    }
    std::string text;
};

class FileSink : public HttpBodySink {
public:
    FileSink(std::string path, DownloadProgress& progress) : path_(std::move(path)), progress_(progress) {}

    bool begin(std::optional<std::uint64_t> announcedSize) override {
        platform::CreateDirectories(platform::FolderOf(path_));
        out_.open(LocalPath(path_), std::ios::binary | std::ios::trunc);
        if (!out_)
            return false;
        platform::SetHidden(path_, true);
        progress_.started(announcedSize);
        return true;
    }

    bool write(const char* data, std::size_t size) override {
        out_.write(data, static_cast<std::streamsize>(size));
        received_ += size;
        progress_.progressed(received_);
        return static_cast<bool>(out_);
    }

    bool close() {
        out_.close();
        return !out_.fail();
    }

private:
    std::string path_;
    DownloadProgress& progress_;
    std::ofstream out_;
    std::uint64_t received_ = 0;
};

} // namespace

InformationFetch FetchInformationFile(const std::string& url, const std::atomic<bool>& cancel) {
    HttpGetOptions options;
    options.connectTimeoutMs = kInformationTimeoutMs;
    options.idleTimeoutMs = kInformationTimeoutMs;
    options.wholeTimeoutMs = kInformationTimeoutMs;
    options.maxBodyBytes = kInformationMaxBytes;
    options.bypassCaches = true;
    TextSink sink;
    InformationFetch fetch;
    fetch.http = HttpGet(url, sink, options, cancel);
    if (fetch.http.outcome == TransferOutcome::Complete)
        fetch.text = AnsiText(std::move(sink.text));
    return fetch;
}

HttpResult DownloadToTemporaryFile(const DownloadEntry& entry, DownloadProgress& progress,
                                   const std::atomic<bool>& cancel) {
    HttpGetOptions options;
    options.idleTimeoutMs = kDownloadIdleTimeoutMs;
    FileSink sink(entry.target + kTemporarySuffix, progress);
    HttpResult result = HttpGet(entry.url, sink, options, cancel);
    if (!sink.close() && result.outcome == TransferOutcome::Complete)
        result.outcome = TransferOutcome::WriteFailed;
    return result;
}

} // namespace qx::update
