#include "app/qt/UpgradeWorker.h"

#include "update/FileDownload.h"

#include <QThread>
#include <chrono>

namespace qx::update {

namespace {

// Reports progress at most every 100 ms, so that a fast transfer does not flood the window thread.
class ThrottledProgress : public DownloadProgress {
public:
    explicit ThrottledProgress(UpgradeWorker& worker) : worker_(worker) {}
    void started(std::optional<std::uint64_t> size) override {
        emit worker_.fileStarted(size ? static_cast<qint64>(*size) : -1);
    }
    void progressed(std::uint64_t received) override {
        auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        emit worker_.fileProgress(static_cast<qint64>(received));
    }

private:
    UpgradeWorker& worker_;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace

UpgradeWorker::UpgradeWorker(QObject* parent) : QObject(parent) {}

UpgradeWorker::~UpgradeWorker() {
    cancelAndWait();
}

bool UpgradeWorker::busy() const {
    return thread_ && !jobDone_;
}

bool UpgradeWorker::run(std::function<void()> job) {
    if (busy())
        return false;
    if (thread_)
        thread_->wait(); // its job has reported; the thread is only ending
    delete thread_;
    cancel_ = false;
    jobDone_ = false;
    thread_ = QThread::create(std::move(job));
    thread_->setParent(this);
    thread_->start();
    return true;
}

bool UpgradeWorker::fetchInformation(const std::string& url) {
    return run([this, url] {
        InformationFetch fetch = FetchInformationFile(url, cancel_);
        jobDone_ = true;
        emit informationArrived(static_cast<int>(fetch.http.outcome),
                                QByteArray(fetch.text.bytes.data(), static_cast<qsizetype>(fetch.text.bytes.size())));
    });
}

bool UpgradeWorker::download(const DownloadEntry& entry) {
    return run([this, entry] {
        ThrottledProgress progress(*this);
        HttpResult result = DownloadToTemporaryFile(entry, progress, cancel_);
        emit fileProgress(static_cast<qint64>(result.received));
        jobDone_ = true;
        emit fileFinished(static_cast<int>(result.outcome), result.status, result.lastModifiedUnix.has_value(),
                          result.lastModifiedUnix.value_or(0));
    });
}

void UpgradeWorker::cancelAndWait() {
    cancel_ = true;
    if (thread_)
        thread_->wait();
}

} // namespace qx::update
