#include "app/win32/UpgradeComponent.h"

#include "app/win32/Controls.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/QuestionDialog.h"
#include "platform/Process.h"
#include "platform/Resource.h"
#include "update/FileDownload.h"
#include "update/UpgradeFiles.h"
#include "update/UpgradeTexts.h"

namespace qx::win32 {
namespace {

namespace texts = update::texts;

// Hands the worker's reports to the flow on the window thread.
class PostedProgress : public update::DownloadProgress {
public:
    PostedProgress(BackgroundJob& job, update::UpdateFlow& flow) : job_(job), flow_(flow) {}
    void started(std::optional<std::uint64_t> announcedSize) override {
        job_.post([announcedSize, &flow = flow_] { flow.fileStarted(announcedSize); });
    }
    void progressed(std::uint64_t received) override {
        job_.post([received, &flow = flow_] { flow.fileProgress(received); });
    }

private:
    BackgroundJob& job_;
    update::UpdateFlow& flow_;
};

} // namespace

UpgradeComponent::UpgradeComponent(HWND owner, update::UpgradeSetup setup)
    : owner_(owner), flow_(std::move(setup), *this, *this) {
    update::DeleteLeftOverUpgrader(flow_.setup().tempFolder);
}

UpgradeComponent::~UpgradeComponent() {
    job_.cancelAndWait();
}

void UpgradeComponent::dispatchUntilIdle() {
    MSG message;
    while (!flow_.idle()) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam)); // for the application's own loop
            return;
        }
        DispatchWithDialogKeys(message);
    }
}

bool UpgradeComponent::checkForUpdate() {
    if (!flow_.startCheck())
        return false;
    dispatchUntilIdle();
    return flow_.updateAvailable();
}

void UpgradeComponent::upgrade() {
    flow_.startUpgrade();
    dispatchUntilIdle();
}

bool UpgradeComponent::fetchInformation(const std::string& url) {
    return job_.start([this, url] {
        update::InformationFetch fetched = update::FetchInformationFile(url, job_.cancelFlag());
        job_.postLast(
            [this, fetched = std::move(fetched)] { flow_.informationArrived(fetched.http.outcome, fetched.text); });
    });
}

bool UpgradeComponent::download(const update::DownloadEntry& entry) {
    return job_.start([this, entry] {
        PostedProgress progress(job_, flow_);
        const update::HttpResult result = update::DownloadToTemporaryFile(entry, progress, job_.cancelFlag());
        progress.progressed(result.received);
        job_.postLast([this, result] { flow_.fileFinished({result.outcome, result.status, result.lastModifiedUnix}); });
    });
}

HWND UpgradeComponent::boxOwner() const {
    return wizard_ ? wizard_->hwnd() : owner_;
}

bool UpgradeComponent::askToUpgrade(const std::string& question) {
    return QuestionDialog::ask(owner_, texts::kWizardCaption, question, texts::kYesButton, texts::kLaterButton, true);
}

void UpgradeComponent::openInBrowser(const std::string& url) {
    platform::OpenUrl(url);
}

void UpgradeComponent::openWizard() {
    wizard_ = std::make_unique<UpgradeWizard>(owner_);
    wizard_->onStop([this] { flow_.stop(); });
    wizard_->onConfirm([this] { flow_.confirm(); });
    CentreOver(wizard_->hwnd(), owner_);
    ShowWindow(wizard_->hwnd(), SW_SHOW);
}

void UpgradeComponent::startFile(int number, int count) {
    wizard_->startFile(number, count);
}

void UpgradeComponent::fileStarted(std::optional<std::uint64_t> announcedSize) {
    wizard_->fileStarted(announcedSize);
}

void UpgradeComponent::fileProgress(std::uint64_t received) {
    wizard_->fileProgress(received);
}

void UpgradeComponent::showComplete(const std::string& programTitle) {
    wizard_->showComplete(programTitle);
}

void UpgradeComponent::closeWizard() {
    // It may be the wizard's own button that ended the upgrade: it goes with the component.
    ShowWindow(wizard_->hwnd(), SW_HIDE);
}

bool UpgradeComponent::askToSkip(const std::string& caption, const std::string& question) {
    return MessageBoxes::askYesNo(boxOwner(), MessageBoxes::Icon::Warning, caption, question, true) ==
           MessageBoxes::Answer::Yes;
}

void UpgradeComponent::showError(const std::string& text) {
    MessageBoxes::error(boxOwner(), texts::kWizardCaption, text);
}

std::string UpgradeComponent::upgraderProgram() {
    return platform::ReadOwnResource("QXUPG").value_or(std::string());
}

} // namespace qx::win32
