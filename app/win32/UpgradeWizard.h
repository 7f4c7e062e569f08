#pragma once
// The upgrade wizard: the download of the queue file by file with two progress bars, the
// file's size, the transfer rate and the estimated time, then that the upgrade is complete.
// It asks the cancel question; what a stop or "&V redu" does is the update flow's.
#include "app/win32/ModalDialog.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

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
    void onStop(std::function<void()> action) { onStop_ = std::move(action); }
    void onConfirm(std::function<void()> action) { onConfirm_ = std::move(action); }

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
    std::function<void()> onStop_;
    std::function<void()> onConfirm_;
};

} // namespace qx::win32
