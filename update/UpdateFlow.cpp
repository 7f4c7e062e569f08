#include "update/UpdateFlow.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "update/FileDownload.h"
#include "update/UpgradeFiles.h"
#include "update/UpgradeSteps.h"
#include "update/UpgradeTexts.h"
#include "update/VersionNumber.h"

namespace qx::update {

namespace {

std::string BrowserUrl(const std::string& url) {
    return url.find("://") == std::string::npos ? "http://" + url : url;
}

} // namespace

UpgradeSetup MachineUpgradeSetup(std::function<void()> endApplication) {
    UpgradeSetup setup;
    setup.informationUrl = InformationFileUrl();
    setup.ownVersion = kOwnVersion;
    setup.folders = MachineTargetFolders();
    setup.programPath = platform::ExecutablePath();
    setup.tempFolder = platform::TempFolder();
    setup.programTitle = texts::kProgramTitle;
    setup.endApplication = std::move(endApplication);
    return setup;
}

UpdateFlow::UpdateFlow(UpgradeSetup setup, UpdateView& view, UpdateTransfers& transfers)
    : setup_(std::move(setup)), view_(view), transfers_(transfers) {}

void UpdateFlow::setIdle() {
    state_ = State::Idle;
    view_.wentIdle();
}

bool UpdateFlow::startCheck() {
    checkResult_ = false;
    if (state_ != State::Idle)
        return false;
    state_ = State::Checking;
    if (!transfers_.fetchInformation(setup_.informationUrl)) {
        setIdle();
        return false;
    }
    return true;
}

void UpdateFlow::giveUpCheck() {
    if (state_ != State::Checking)
        return;
    transfers_.requestCancel();
    setIdle();
}

void UpdateFlow::startUpgrade() {
    if (state_ != State::Idle)
        return;
    // The notes of the old version go; the new one may bring its own.
    const std::string notes = setup_.folders.current + platform::kPathSeparator + "upgrade.txt";
    if (platform::IsExistingFile(notes))
        platform::DeleteFilePath(notes);
    state_ = State::Fetching;
    if (!transfers_.fetchInformation(setup_.informationUrl))
        setIdle();
}

void UpdateFlow::informationArrived(TransferOutcome outcome, const AnsiText& text) {
    if (state_ != State::Checking && state_ != State::Fetching)
        return;
    const bool checking = state_ == State::Checking;
    if (outcome == TransferOutcome::BrokenOff)
        view_.showError(texts::kConnectionLost);
    if (outcome != TransferOutcome::Complete) {
        setIdle();
        return;
    }
    offer_ = DecideUpdate(text, setup_.ownVersion, setup_.folders);
    if (checking || !offer_.available) {
        checkResult_ = offer_.available;
        setIdle();
        return;
    }
    if (!view_.askToUpgrade(texts::UpgradeQuestion(setup_.programTitle, offer_.message))) {
        setIdle();
        return;
    }
    if (offer_.method == UpgradeMethod::Redirect) {
        view_.openInBrowser(BrowserUrl(offer_.entries.front().url));
        setIdle();
        return;
    }
    state_ = State::Downloading;
    current_ = 0;
    wizardOpen_ = true;
    view_.openWizard();
    downloadNext();
}

void UpdateFlow::downloadNext() {
    if (current_ >= offer_.entries.size()) {
        state_ = State::Complete;
        view_.showComplete(setup_.programTitle);
        return;
    }
    view_.startFile(static_cast<int>(current_) + 1, static_cast<int>(offer_.entries.size()));
    if (!transfers_.download(offer_.entries[current_]))
        abort();
}

void UpdateFlow::fileStarted(std::optional<std::uint64_t> announcedSize) {
    if (state_ == State::Downloading)
        view_.fileStarted(announcedSize);
}

void UpdateFlow::fileProgress(std::uint64_t received) {
    if (state_ == State::Downloading)
        view_.fileProgress(received);
}

void UpdateFlow::fileFinished(const FileResult& result) {
    if (state_ != State::Downloading)
        return;
    const DownloadEntry& entry = offer_.entries[current_];
    const std::string downloaded = entry.target + kTemporarySuffix;
    switch (StepAfterFile(result.outcome)) {
    case AfterFile::Next:
        if (result.lastModifiedUnix)
            platform::SetLastWriteTime(downloaded, *result.lastModifiedUnix);
        ++current_;
        downloadNext();
        return;
    case AfterFile::AskToSkip:
        platform::DeleteFilePath(downloaded);
        if (view_.askToSkip(texts::MissingFileCaption(result.status), texts::MissingFileQuestion(entry.url))) {
            ++current_;
            downloadNext();
            return;
        }
        break;
    case AfterFile::ConnectionLost:
        view_.showError(texts::kConnectionLost);
        break;
    case AfterFile::NotWritable:
        view_.showError(texts::FileNotWritable(downloaded));
        break;
    case AfterFile::Stop:
        break;
    }
    abort();
}

void UpdateFlow::stop() {
    if (stoppable())
        abort();
}

void UpdateFlow::confirm() {
    if (state_ != State::Complete)
        return;
    if (!StartUpgrader(view_.upgraderProgram(), setup_.tempFolder, offer_.entries, setup_.programPath, offer_.method)) {
        view_.showError(texts::kUpgraderNotStarted);
        abort();
        return;
    }
    finish();
    if (setup_.endApplication)
        setup_.endApplication();
}

void UpdateFlow::abort() {
    transfers_.cancelAndWait();
    DeleteTemporaryDownloads(setup_.folders.current, offer_.entries);
    finish();
}

void UpdateFlow::finish() {
    if (wizardOpen_) {
        wizardOpen_ = false;
        view_.closeWizard();
    }
    setIdle();
}

} // namespace qx::update
