#pragma once
// The upgrade wizard: one page that shows the download of the queue, file by file, with two
// progress bars, the file's size, the transfer rate and the estimated time, and then that the
// upgrade is complete. It decides nothing: "&Zaustavi", closing and "&V redu" are signals.
#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <optional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qx::update {

class UpgradeWizard : public QDialog {
    Q_OBJECT
public:
    explicit UpgradeWizard(QWidget* parent = nullptr);

    // File `number` (from 1) of `count` starts.
    void startFile(int number, int count);
    void fileStarted(std::optional<std::uint64_t> announcedSize);
    void fileProgress(std::uint64_t received);
    void showComplete(const std::string& programTitle);

signals:
    void stopRequested(); // "&Zaustavi", Esc or the close button
    void okPressed();     // "&V redu" once the upgrade is complete

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QLabel* title_;
    QLabel* note_;
    QLabel* fileSize_;
    QLabel* rate_;
    QLabel* remaining_;
    QLabel* counter_;
    QProgressBar* fileBar_;
    QProgressBar* totalBar_;
    QPushButton* nextButton_;
    QPushButton* stopButton_;
    QElapsedTimer fileClock_;
    std::optional<std::uint64_t> announcedSize_;
    int number_ = 0;
    int count_ = 1;
    bool complete_ = false;
};

} // namespace qx::update
