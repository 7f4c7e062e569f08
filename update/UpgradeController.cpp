#include "update/UpgradeController.h"

#include "app/MessageBox.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "update/FileDownload.h"
#include "update/UpgradeFiles.h"
#include "update/UpgradeSteps.h"
#include "update/UpgradeTexts.h"
#include "update/UpgradeWizard.h"
#include "update/UpgradeWorker.h"
#include "update/VersionNumber.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWidget>

// The replacement program's resource lives in the static library; name it so the linker keeps it.
static void InitUpgraderResource() {
    Q_INIT_RESOURCE(qxupgrader);
}

namespace qx::update {

using widgets::MessageBox;

namespace {

std::string UpgraderBytes() {
    InitUpgraderResource();
    QFile resource(QStringLiteral(":/QXUPG/QXUPG"));
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = resource.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// How long start-up waits beyond the information file's own time limit.
constexpr int kCheckGraceMs = 2000;

std::string BrowserUrl(const std::string& url) {
    return url.find("://") == std::string::npos ? "http://" + url : url;
}

} // namespace

UpgradeSetup MachineUpgradeSetup(QWidget* mainWindow) {
    UpgradeSetup setup;
    setup.informationUrl = InformationFileUrl();
    setup.ownVersion = kOwnVersion;
    setup.folders = MachineTargetFolders();
    setup.programPath = platform::ExecutablePath();
    setup.tempFolder = platform::TempFolder();
    setup.programTitle = texts::kProgramTitle;
    QPointer<QWidget> window = mainWindow;
    setup.endApplication = [window] {
        if (window)
            window->close();
        QCoreApplication::quit();
    };
    return setup;
}

UpgradeController::UpgradeController(QWidget* mainWindow, UpgradeSetup setup)
    : QObject(mainWindow), mainWindow_(mainWindow), setup_(std::move(setup)), worker_(new UpgradeWorker(this)) {
    DeleteLeftOverUpgrader(setup_.tempFolder);
    connect(worker_, &UpgradeWorker::informationArrived, this, &UpgradeController::onInformation);
    connect(worker_, &UpgradeWorker::fileFinished, this, &UpgradeController::onFileFinished);
    connect(worker_, &UpgradeWorker::fileStarted, this, [this](qint64 size) {
        if (wizard_ && state_ == State::Downloading)
            wizard_->fileStarted(size >= 0 ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(size))
                                           : std::nullopt);
    });
    connect(worker_, &UpgradeWorker::fileProgress, this, [this](qint64 received) {
        if (wizard_ && state_ == State::Downloading)
            wizard_->fileProgress(static_cast<std::uint64_t>(received));
    });
}

UpgradeController::~UpgradeController() {
    worker_->cancelAndWait();
    delete wizard_;
}

void UpgradeController::waitUntilIdle() {
    if (state_ == State::Idle)
        return;
    QEventLoop loop;
    connect(this, &UpgradeController::becameIdle, &loop, &QEventLoop::quit);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    loop.exec();
}

void UpgradeController::setIdle() {
    state_ = State::Idle;
    emit becameIdle();
}

bool UpgradeController::checkForUpdate() {
    if (state_ != State::Idle) {
        waitUntilIdle();
        return false;
    }
    checkResult_ = false;
    state_ = State::Checking;
    if (!worker_->fetchInformation(setup_.informationUrl)) {
        setIdle();
        return false;
    }
    // A name lookup cannot be interrupted; start-up stops waiting for it all the same.
    QTimer::singleShot(kInformationTimeoutMs + kCheckGraceMs, this, [this] {
        if (state_ == State::Checking) {
            worker_->requestCancel();
            setIdle();
        }
    });
    waitUntilIdle();
    return checkResult_;
}

void UpgradeController::startUpgrade() {
    if (state_ != State::Idle)
        return;
    state_ = State::Fetching;
    if (!worker_->fetchInformation(setup_.informationUrl))
        setIdle();
}

void UpgradeController::onInformation(int outcome, const QByteArray& text) {
    if (state_ != State::Checking && state_ != State::Fetching)
        return;
    bool checking = state_ == State::Checking;
    auto result = static_cast<TransferOutcome>(outcome);
    if (result == TransferOutcome::BrokenOff)
        MessageBox::error(mainWindow_, texts::kWizardCaption, texts::kConnectionLost);
    if (result != TransferOutcome::Complete) {
        setIdle();
        return;
    }
    offer_ = DecideUpdate(AnsiText(text.toStdString()), setup_.ownVersion, setup_.folders);
    if (checking || !offer_.available) {
        checkResult_ = offer_.available;
        setIdle();
        return;
    }
    MessageBox::Answer answer = MessageBox::ask(mainWindow_, MessageBox::Icon::Question, texts::kWizardCaption,
                                                texts::UpgradeQuestion(setup_.programTitle, offer_.message),
                                                {{MessageBox::Answer::Yes, QString::fromUtf8(texts::kYesButton)},
                                                 {MessageBox::Answer::No, QString::fromUtf8(texts::kLaterButton)}},
                                                true);
    if (answer != MessageBox::Answer::Yes) {
        setIdle();
        return;
    }
    if (offer_.method == UpgradeMethod::Redirect) {
        platform::OpenUrl(BrowserUrl(offer_.entries.front().url));
        setIdle();
        return;
    }
    state_ = State::Downloading;
    current_ = 0;
    wizard_ = new UpgradeWizard(mainWindow_);
    connect(wizard_, &UpgradeWizard::stopRequested, this, &UpgradeController::onStopRequested);
    connect(wizard_, &UpgradeWizard::okPressed, this, &UpgradeController::restart);
    wizard_->show();
    downloadNext();
}

void UpgradeController::downloadNext() {
    if (current_ >= offer_.entries.size()) {
        state_ = State::Complete;
        wizard_->showComplete(setup_.programTitle);
        return;
    }
    wizard_->startFile(static_cast<int>(current_) + 1, static_cast<int>(offer_.entries.size()));
    worker_->download(offer_.entries[current_]);
}

void UpgradeController::onFileFinished(int outcome, int status, bool hasLastModified, qint64 lastModifiedUnix) {
    if (state_ != State::Downloading)
        return;
    const DownloadEntry& entry = offer_.entries[current_];
    std::string downloaded = entry.target + kTemporarySuffix;
    switch (StepAfterFile(static_cast<TransferOutcome>(outcome))) {
    case AfterFile::Next:
        if (hasLastModified)
            platform::SetLastWriteTime(downloaded, lastModifiedUnix);
        ++current_;
        downloadNext();
        return;
    case AfterFile::AskToSkip:
        platform::DeleteFilePath(downloaded);
        if (MessageBox::askYesNo(wizard_, MessageBox::Icon::Warning, texts::MissingFileCaption(status),
                                 texts::MissingFileQuestion(entry.url), true) == MessageBox::Answer::Yes) {
            ++current_;
            downloadNext();
            return;
        }
        break;
    case AfterFile::ConnectionLost:
        MessageBox::error(wizard_, texts::kWizardCaption, texts::kConnectionLost);
        break;
    case AfterFile::NotWritable:
        MessageBox::error(wizard_, texts::kWizardCaption, texts::FileNotWritable(downloaded));
        break;
    case AfterFile::Stop:
        break;
    }
    abort();
}

void UpgradeController::onStopRequested() {
    if (state_ != State::Downloading && state_ != State::Complete)
        return;
    if (MessageBox::askYesNo(wizard_, MessageBox::Icon::Question, setup_.programTitle, texts::kCancelQuestion) ==
        MessageBox::Answer::Yes)
        abort();
}

void UpgradeController::restart() {
    if (state_ != State::Complete)
        return;
    if (!StartUpgrader(UpgraderBytes(), setup_.tempFolder, offer_.entries, setup_.programPath, offer_.method)) {
        MessageBox::error(wizard_, texts::kWizardCaption, texts::kUpgraderNotStarted);
        abort();
        return;
    }
    finish();
    if (setup_.endApplication)
        setup_.endApplication();
}

void UpgradeController::abort() {
    worker_->cancelAndWait();
    DeleteTemporaryDownloads(setup_.folders.current, offer_.entries);
    finish();
}

void UpgradeController::finish() {
    if (wizard_) {
        wizard_->hide();
        wizard_->deleteLater();
    }
    setIdle();
}

} // namespace qx::update
