#pragma once
// The update component without its windows: the check, the decision, the component's question,
// the download queue file by file, the wizard's states and their outcomes, and the hand-over to
// the replacement program. A front end shows what it asks for through UpdateView, runs its
// transfers through UpdateTransfers, and reports each transfer's results back on the window thread.
#include "update/DownloadTarget.h"
#include "update/UpdateDecision.h"
#include "update/UpdateHttp.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qx::update {

// Where the component looks and writes; the machine's own values unless a test says otherwise.
struct UpgradeSetup {
    std::string informationUrl;
    std::string ownVersion;
    TargetFolders folders; // folders.current is the program's folder
    std::string programPath;
    std::string tempFolder;
    std::string programTitle;
    std::function<void()> endApplication; // closes the main window and ends the application
};

UpgradeSetup MachineUpgradeSetup(std::function<void()> endApplication);

class UpdateView {
public:
    virtual ~UpdateView() = default;
    // The component's question with "&Da" and "&Kasneje"; true for "&Da".
    virtual bool askToUpgrade(const std::string& question) = 0;
    virtual void openInBrowser(const std::string& url) = 0;
    virtual void openWizard() = 0;
    // File `number` (from 1) of `count` starts.
    virtual void startFile(int number, int count) = 0;
    virtual void fileStarted(std::optional<std::uint64_t> announcedSize) = 0;
    virtual void fileProgress(std::uint64_t received) = 0;
    virtual void showComplete(const std::string& programTitle) = 0;
    virtual void closeWizard() = 0;
    // The server has no such file; true when the operator skips it.
    virtual bool askToSkip(const std::string& caption, const std::string& question) = 0;
    virtual void showError(const std::string& text) = 0;
    // The replacement program the program carries; empty when it cannot be read.
    virtual std::string upgraderProgram() = 0;
    virtual void wentIdle() = 0;
};

// One transfer at a time on a worker thread.
class UpdateTransfers {
public:
    virtual ~UpdateTransfers() = default;
    // Each starts one transfer; false when one is still running.
    virtual bool fetchInformation(const std::string& url) = 0;
    virtual bool download(const DownloadEntry& entry) = 0;
    virtual void requestCancel() = 0;
    // Stops the running transfer and waits until it has ended.
    virtual void cancelAndWait() = 0;
};

struct FileResult {
    TransferOutcome outcome = TransferOutcome::NoAnswer;
    int status = 0;
    std::optional<std::int64_t> lastModifiedUnix;
};

class UpdateFlow {
public:
    UpdateFlow(UpgradeSetup setup, UpdateView& view, UpdateTransfers& transfers);

    // The just-check form: starts fetching the information file; false when it could not start.
    bool startCheck();
    // Start-up stops waiting for a check that has not answered.
    void giveUpCheck();
    bool updateAvailable() const { return checkResult_; }
    // The full form, once the operator accepted the offer.
    void startUpgrade();

    // What the transfers report.
    void informationArrived(TransferOutcome outcome, const AnsiText& text);
    void fileStarted(std::optional<std::uint64_t> announcedSize);
    void fileProgress(std::uint64_t received);
    void fileFinished(const FileResult& result);

    // The wizard is open, so the operator may be asked whether to stop.
    bool stoppable() const { return state_ == State::Downloading || state_ == State::Complete; }
    // The operator confirmed the cancel question.
    void stop();
    // "&V redu" once the upgrade is complete.
    void confirm();

    bool idle() const { return state_ == State::Idle; }
    bool checking() const { return state_ == State::Checking; }
    const UpgradeSetup& setup() const { return setup_; }

private:
    enum class State { Idle, Checking, Fetching, Downloading, Complete };

    void downloadNext();
    void abort();
    void finish();
    void setIdle();

    UpgradeSetup setup_;
    UpdateView& view_;
    UpdateTransfers& transfers_;
    State state_ = State::Idle;
    UpdateOffer offer_;
    std::size_t current_ = 0;
    bool checkResult_ = false;
    bool wizardOpen_ = false;
};

} // namespace qx::update
