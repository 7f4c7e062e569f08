#pragma once
// The update component's Qt side: the flow's dialogs, the wizard and the worker thread whose
// results reach the flow as queued signals. Everything here runs on the window thread.
#include "app/qt/UpgradeWizard.h"
#include "update/UpdateFlow.h"

#include <QObject>
#include <QPointer>
#include <string>

class QWidget;

namespace qx::update {

class UpgradeWorker;

UpgradeSetup MachineUpgradeSetup(QWidget* mainWindow);

class UpgradeController : public QObject, private UpdateView {
    Q_OBJECT
public:
    // Deletes a replacement program left in the temporary folder.
    UpgradeController(QWidget* mainWindow, UpgradeSetup setup);
    ~UpgradeController() override;

    // The just-check form: fetches the information file and answers whether an update is
    // available, dispatching window messages while it waits.
    bool checkForUpdate();
    // The full form: returns at once; the rest happens while the window stays usable.
    void startUpgrade() { flow_.startUpgrade(); }

    bool idle() const { return flow_.idle(); }
    UpgradeWizard* wizardForTests() const { return wizard_; }
    const UpgradeSetup& setup() const { return flow_.setup(); }

signals:
    void becameIdle();

private:
    bool askToUpgrade(const std::string& question) override;
    void openInBrowser(const std::string& url) override;
    void openWizard() override;
    void startFile(int number, int count) override;
    void fileStarted(std::optional<std::uint64_t> announcedSize) override;
    void fileProgress(std::uint64_t received) override;
    void showComplete(const std::string& programTitle) override;
    void closeWizard() override;
    bool askToSkip(const std::string& caption, const std::string& question) override;
    void showError(const std::string& text) override;
    std::string upgraderProgram() override;
    void wentIdle() override { emit becameIdle(); }

    void onStopRequested();
    // Waits until the component is idle, dispatching window messages.
    void waitUntilIdle();
    // Where the component's boxes open: over the wizard while it is there.
    QWidget* boxParent() const;

    QWidget* mainWindow_;
    UpgradeWorker* worker_;
    UpdateFlow flow_;
    QPointer<UpgradeWizard> wizard_;
};

} // namespace qx::update
