#pragma once
// One job at a time on a worker thread. What the job reports is posted to a message-only
// window and runs on the window thread while that thread dispatches its messages, also
// inside a message box's loop.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace qx::win32 {

class BackgroundJob {
public:
    BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;
    ~BackgroundJob();

    // Starts `job` on the worker; false while the previous job still runs.
    bool start(std::function<void()> job);
    // From the job: `report` runs on the window thread.
    void post(std::function<void()> report);
    // The job's last report: once it runs, the next job may start.
    void postLast(std::function<void()> report);
    const std::atomic<bool>& cancelFlag() const { return cancel_; }
    void requestCancel() { cancel_ = true; }
    // Stops the job and waits for it; what it posted and was not yet delivered is dropped.
    void cancelAndWait();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> running_{false};
    std::atomic<std::uintptr_t> generation_{0};
};

} // namespace qx::win32
