#include "update/FileDownload.h"

#include "platform/FileStreams.h"
#include "platform/FileSystem.h"
#include "platform/Signature.h"

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

// Writes the download and checks it against the entry as it arrives.
class FileSink : public HttpBodySink {
public:
    FileSink(const DownloadEntry& entry, DownloadProgress& progress)
        : path_(entry.target + kTemporarySuffix), entry_(entry), progress_(progress) {}

    bool begin(std::optional<std::uint64_t> announcedSize) override {
        if (announcedSize && *announcedSize != entry_.size) {
            wrongFile_ = true;
            return false;
        }
        platform::CreateDirectories(platform::FolderOf(path_));
        platform::OpenForWriting(out_, path_);
        if (!out_)
            return false;
        platform::SetAttributeBits(path_, kDownloadingAttributes);
        progress_.started(announcedSize);
        return true;
    }

    bool write(const char* data, std::size_t size) override {
        if (size > entry_.size - received_) {
            wrongFile_ = true;
            return false;
        }
        hash_.update(data, size);
        out_.write(data, static_cast<std::streamsize>(size));
        received_ += size;
        progress_.progressed(received_);
        return static_cast<bool>(out_);
    }

    bool close() {
        out_.close();
        return !out_.fail();
    }

    // Whether what arrived is other than what the maker vouched for (so far or in the end).
    bool wrongFile() { return wrongFile_ || received_ != entry_.size || hash_.finish() != entry_.sha256; }
    bool refusedEarly() const { return wrongFile_; }

private:
    std::string path_;
    const DownloadEntry& entry_;
    DownloadProgress& progress_;
    std::ofstream out_;
    platform::Sha256 hash_;
    std::uint64_t received_ = 0;
    bool wrongFile_ = false;
};

HttpGetOptions InformationOptions(std::uint64_t maxBytes) {
    HttpGetOptions options;
    options.connectTimeoutMs = kInformationTimeoutMs;
    options.idleTimeoutMs = kInformationTimeoutMs;
    options.wholeTimeoutMs = kInformationTimeoutMs;
    options.maxBodyBytes = maxBytes;
    options.bypassCaches = true;
    return options;
}

} // namespace

InformationFetch FetchInformationFile(const std::string& url, const std::atomic<bool>& cancel,
                                      const std::string& publicKey) {
    TextSink text;
    InformationFetch fetch;
    fetch.http = HttpGet(url, text, InformationOptions(kInformationMaxBytes), cancel);
    if (fetch.http.outcome != TransferOutcome::Complete)
        return fetch;
    TextSink signature;
    HttpResult signatureFetch =
        HttpGet(SignatureUrlFor(url), signature, InformationOptions(kSignatureMaxBytes), cancel);
    if (signatureFetch.outcome == TransferOutcome::Cancelled) {
        fetch.http = signatureFetch;
        return fetch;
    }
    if (signatureFetch.outcome != TransferOutcome::Complete || !IsSignedByMaker(text.text, signature.text, publicKey)) {
        fetch.http.outcome = TransferOutcome::Unsigned;
        fetch.http.error = "The information file is not signed by the maker's key";
        return fetch;
    }
    fetch.text = AnsiText(std::move(text.text));
    return fetch;
}

HttpResult DownloadToTemporaryFile(const DownloadEntry& entry, DownloadProgress& progress,
                                   const std::atomic<bool>& cancel) {
    HttpGetOptions options;
    options.idleTimeoutMs = kDownloadIdleTimeoutMs;
    FileSink sink(entry, progress);
    HttpResult result = HttpGet(entry.url, sink, options, cancel);
    bool written = sink.close();
    bool arrived = result.outcome == TransferOutcome::Complete || sink.refusedEarly();
    if (arrived && sink.wrongFile()) {
        result.outcome = TransferOutcome::BrokenOff;
        result.error = "The file is not the one the information file names";
    } else if (!written && result.outcome == TransferOutcome::Complete) {
        result.outcome = TransferOutcome::WriteFailed;
    }
    if (result.outcome == TransferOutcome::Complete)
        platform::SetAttributeBits(entry.target + kTemporarySuffix, kDownloadedAttributes);
    return result;
}

} // namespace qx::update
