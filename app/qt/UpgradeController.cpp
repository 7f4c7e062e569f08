#include "app/qt/UpgradeController.h"

#include "app/qt/MessageBox.h"
#include "app/qt/UpgradeWizard.h"
#include "app/qt/UpgradeWorker.h"
#include "platform/Process.h"
#include "update/FileDownload.h"
#include "update/UpgradeFiles.h"
#include "update/UpgradeTexts.h"

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

// How long start-up waits beyond the information file's own time limit.
constexpr int kCheckGraceMs = 2000;

} // namespace

UpgradeSetup MachineUpgradeSetup(QWidget* mainWindow) {
    QPointer<QWidget> window = mainWindow;
    return MachineUpgradeSetup([window] {
        if (window)
            window->close();
        QCoreApplication::quit();
    });
}

UpgradeController::UpgradeController(QWidget* mainWindow, UpgradeSetup setup)
    : QObject(mainWindow), mainWindow_(mainWindow), worker_(new UpgradeWorker(this)),
      flow_(std::move(setup), *this, *worker_) {
    DeleteLeftOverUpgrader(flow_.setup().tempFolder);
    connect(worker_, &UpgradeWorker::informationArrived, this, [this](int outcome, const QByteArray& text) {
        flow_.informationArrived(static_cast<TransferOutcome>(outcome), AnsiText(text.toStdString()));
    });
    connect(worker_, &UpgradeWorker::fileFinished, this,
            [this](int outcome, int status, bool hasLastModified, qint64 lastModifiedUnix) {
                flow_.fileFinished({static_cast<TransferOutcome>(outcome), status,
                                    hasLastModified ? std::optional<std::int64_t>(lastModifiedUnix) : std::nullopt});
            });
    connect(worker_, &UpgradeWorker::fileStarted, this, [this](qint64 size) {
        flow_.fileStarted(size >= 0 ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(size)) : std::nullopt);
    });
    connect(worker_, &UpgradeWorker::fileProgress, this,
            [this](qint64 received) { flow_.fileProgress(static_cast<std::uint64_t>(received)); });
}

UpgradeController::~UpgradeController() {
    worker_->cancelAndWait();
    delete wizard_;
}

void UpgradeController::waitUntilIdle() {
    if (flow_.idle())
        return;
    QEventLoop loop;
    connect(this, &UpgradeController::becameIdle, &loop, &QEventLoop::quit);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    loop.exec();
}

bool UpgradeController::checkForUpdate() {
    if (!flow_.startCheck()) {
        waitUntilIdle();
        return false;
    }
    // A name lookup cannot be interrupted; start-up stops waiting for it all the same.
    QTimer::singleShot(kInformationTimeoutMs + kCheckGraceMs, this, [this] { flow_.giveUpCheck(); });
    waitUntilIdle();
    return flow_.updateAvailable();
}

QWidget* UpgradeController::boxParent() const {
    return wizard_ ? static_cast<QWidget*>(wizard_) : mainWindow_;
}

bool UpgradeController::askToUpgrade(const std::string& question) {
    return MessageBox::ask(mainWindow_, MessageBox::Icon::Question, texts::kWizardCaption, question,
                           {{MessageBox::Answer::Yes, QString::fromUtf8(texts::kYesButton)},
                            {MessageBox::Answer::No, QString::fromUtf8(texts::kLaterButton)}},
                           true) == MessageBox::Answer::Yes;
}

void UpgradeController::openInBrowser(const std::string& url) {
    platform::OpenUrl(url);
}

void UpgradeController::openWizard() {
    wizard_ = new UpgradeWizard(mainWindow_);
    connect(wizard_, &UpgradeWizard::stopRequested, this, &UpgradeController::onStopRequested);
    connect(wizard_, &UpgradeWizard::okPressed, this, [this] { flow_.confirm(); });
    wizard_->show();
}

void UpgradeController::startFile(int number, int count) {
    wizard_->startFile(number, count);
}

void UpgradeController::fileStarted(std::optional<std::uint64_t> announcedSize) {
    if (wizard_)
        wizard_->fileStarted(announcedSize);
}

void UpgradeController::fileProgress(std::uint64_t received) {
    if (wizard_)
        wizard_->fileProgress(received);
}

void UpgradeController::showComplete(const std::string& programTitle) {
    wizard_->showComplete(programTitle);
}

void UpgradeController::closeWizard() {
    if (wizard_) {
        wizard_->hide();
        wizard_->deleteLater();
    }
}

bool UpgradeController::askToSkip(const std::string& caption, const std::string& question) {
    return MessageBox::askYesNo(boxParent(), MessageBox::Icon::Warning, caption, question, true) ==
           MessageBox::Answer::Yes;
}

void UpgradeController::showError(const std::string& text) {
    MessageBox::error(boxParent(), texts::kWizardCaption, text);
}

std::string UpgradeController::upgraderProgram() {
    InitUpgraderResource();
    QFile resource(QStringLiteral(":/QXUPG/QXUPG"));
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = resource.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void UpgradeController::onStopRequested() {
    if (!flow_.stoppable())
        return;
    if (MessageBox::askYesNo(wizard_, MessageBox::Icon::Question, flow_.setup().programTitle, texts::kCancelQuestion) ==
        MessageBox::Answer::Yes)
        flow_.stop();
}

} // namespace qx::update
