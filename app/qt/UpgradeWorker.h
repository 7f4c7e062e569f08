#pragma once
// The update component's worker thread: one transfer at a time. Its results reach the window
// thread as queued signals, so every decision and dialog stays on the window thread.
#include "update/DownloadTarget.h"
#include "update/UpdateFlow.h"

#include <QByteArray>
#include <QObject>
#include <atomic>
#include <functional>
#include <string>

class QThread;

namespace qx::update {

class UpgradeWorker : public QObject, public UpdateTransfers {
    Q_OBJECT
public:
    explicit UpgradeWorker(QObject* parent = nullptr);
    ~UpgradeWorker() override;

    bool busy() const;
    bool fetchInformation(const std::string& url) override;
    bool download(const DownloadEntry& entry) override;
    void requestCancel() override { cancel_ = true; }
    void cancelAndWait() override;

signals:
    // TransferOutcome as int; the body when it completed.
    void informationArrived(int outcome, QByteArray text);
    // -1 when the server announced no size.
    void fileStarted(qint64 announcedSize);
    void fileProgress(qint64 received);
    // TransferOutcome as int, the HTTP status, and Last-Modified (has = false when none came).
    void fileFinished(int outcome, int status, bool hasLastModified, qint64 lastModifiedUnix);

private:
    bool run(std::function<void()> job);

    QThread* thread_ = nullptr;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> jobDone_{true}; // set before the job's last signal, so the window thread may start the next
};

} // namespace qx::update
