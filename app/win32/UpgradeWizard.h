#pragma once
// The upgrade after the operator said yes: the component's question, then the wizard that
// downloads the queue file by file with two progress bars, the file's size, the transfer rate
// and the estimated time, then that the upgrade is complete, and the hand-over to the
// replacement program.
#include "app/win32/ModalDialog.h"
#include "update/UpdateDecision.h"

#include <atomic>
#include <cstdint>
#include <optional>

namespace qx::win32 {

class UpgradeWizard : public ModalDialog {
public:
    enum {
        kTitle = 100,
        kCurrentGroup,
        kFileBar,
        kFileSize,
        kRate,
        kRemaining,
        kAllGroup,
        kTotalBar,
        kCounter,
        kNote,
        kNextButton,
        kStopButton,
    };

    explicit UpgradeWizard(HWND owner);

    // File `number` (from 1) of `count` starts.
    void startFile(int number, int count);
    void fileStarted(std::optional<std::uint64_t> announcedSize);
    void fileProgress(std::uint64_t received);
    void showComplete(const std::string& programTitle);

    // Set by "&Zaustavi", Esc and the close button once the operator confirmed; by "&V redu".
    bool stopped() const { return stopped_; }
    bool confirmed() const { return confirmed_; }
    const std::atomic<bool>& cancelFlag() const { return cancel_; }

protected:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool command(int id, int notification, HWND control) override;
    int defaultButton() const override { return complete_ ? kNextButton : 0; }

private:
    void stopRequested();

    HWND item(int id) const { return GetDlgItem(hwnd(), id); }

    std::optional<std::uint64_t> announcedSize_;
    ULONGLONG fileStart_ = 0;
    int number_ = 0;
    int count_ = 1;
    bool complete_ = false;
    bool stopped_ = false;
    bool confirmed_ = false;
    std::atomic<bool> cancel_{false};
};

// The whole upgrade for an offer the operator accepted; ends the application when the
// replacement program was started.
void RunUpgrade(HWND owner, const update::UpdateOffer& offer);

} // namespace qx::win32
