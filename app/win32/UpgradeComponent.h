#pragma once
// The update component's Win32 side: the flow's boxes, the component's question, the wizard,
// and the worker thread whose results reach the flow as posted messages.
#include "app/win32/BackgroundJob.h"
#include "app/win32/UpgradeWizard.h"
#include "update/UpdateFlow.h"

#include <memory>

namespace qx::win32 {

class UpgradeComponent : private update::UpdateView, private update::UpdateTransfers {
public:
    // Deletes a replacement program left in the temporary folder.
    UpgradeComponent(HWND owner, update::UpgradeSetup setup);
    ~UpgradeComponent() override;

    // The just-check form; dispatches window messages while it waits.
    bool checkForUpdate();
    // The full form; returns when the upgrade has ended, or the replacement program was started.
    void upgrade();

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
    void wentIdle() override {}

    bool fetchInformation(const std::string& url) override;
    bool download(const update::DownloadEntry& entry) override;
    void requestCancel() override { job_.requestCancel(); }
    void cancelAndWait() override { job_.cancelAndWait(); }

    void dispatchUntilIdle();
    // Where the component's boxes open: over the wizard while it is there.
    HWND boxOwner() const;

    HWND owner_;
    BackgroundJob job_;
    update::UpdateFlow flow_;
    std::unique_ptr<UpgradeWizard> wizard_;
};

} // namespace qx::win32
