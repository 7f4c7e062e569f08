#pragma once
// Runs one job on a worker thread while the window thread goes on dispatching its messages,
// so the windows repaint; returns when the job has ended.
#include "app/win32/Controls.h"

#include <atomic>
#include <thread>

namespace qx::win32 {

template <class Job> void RunWhileDispatching(Job&& job) {
    std::atomic<bool> done{false};
    const DWORD windowThread = GetCurrentThreadId();
    std::thread worker([&] {
        job();
        done = true;
        PostThreadMessageW(windowThread, WM_NULL, 0, 0); // wakes the wait below
    });
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpPendingMessages();
    }
    worker.join();
}

} // namespace qx::win32
