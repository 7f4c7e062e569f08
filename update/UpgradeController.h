#pragma once
// The update component: the check that only answers yes or no, and the full upgrade with its
// question, the wizard, the downloads file by file and the hand-over to the replacement program.
// Everything here runs on the window thread; transfers run on the worker.
#include "update/DownloadTarget.h"
#include "update/UpdateDecision.h"
#include "update/UpgradeWizard.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

class QWidget;

namespace qx::update {

class UpgradeWorker;
struct InformationFetch;

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

UpgradeSetup MachineUpgradeSetup(QWidget* mainWindow);

class UpgradeController : public QObject {
    Q_OBJECT
public:
    // Deletes a replacement program left in the temporary folder.
    UpgradeController(QWidget* mainWindow, UpgradeSetup setup);
    ~UpgradeController() override;

    // The just-check form: fetches the information file and answers whether an update is
    // available, dispatching window messages while it waits.
    bool checkForUpdate();
    // The full form: returns at once; the rest happens while the window stays usable.
    void startUpgrade();

    bool idle() const { return state_ == State::Idle; }
    UpgradeWizard* wizardForTests() const { return wizard_; }
    const UpgradeSetup& setup() const { return setup_; }

signals:
    void becameIdle();

private:
    enum class State { Idle, Checking, Fetching, Downloading, Complete };

    void onInformation(int outcome, const QByteArray& text);
    void downloadNext();
    void onFileFinished(int outcome, int status, bool hasLastModified, qint64 lastModifiedUnix);
    void onStopRequested();
    void restart();
    void abort();
    void finish();
    // Waits until the component is idle, dispatching window messages.
    void waitUntilIdle();
    void setIdle();

    QWidget* mainWindow_;
    UpgradeSetup setup_;
    UpgradeWorker* worker_;
    QPointer<UpgradeWizard> wizard_;
    State state_ = State::Idle;
    UpdateOffer offer_;
    std::size_t current_ = 0;
    bool checkResult_ = false;
};

} // namespace qx::update
