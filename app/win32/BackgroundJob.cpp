#include "app/win32/BackgroundJob.h"

#include <memory>

namespace qx::win32 {
namespace {

constexpr UINT kReport = WM_APP + 10; // wParam: the job's generation, lParam: the report
constexpr const wchar_t* kClassName = L"qxBackgroundJob";

struct Report {
    std::function<void()> run;
};

} // namespace

BackgroundJob::BackgroundJob() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    window_ =
        CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

BackgroundJob::~BackgroundJob() {
    cancelAndWait();
    // Reports still queued own their memory.
    MSG message;
    while (PeekMessageW(&message, window_, kReport, kReport, PM_REMOVE))
        delete reinterpret_cast<Report*>(message.lParam);
    DestroyWindow(window_);
}

bool BackgroundJob::start(std::function<void()> job) {
    if (running_)
        return false;
    if (worker_.joinable())
        worker_.join(); // its job has ended; the thread is only ending
    cancel_ = false;
    running_ = true;
    worker_ = std::thread([this, job = std::move(job)] {
        job();
        running_ = false;
    });
    return true;
}

void BackgroundJob::post(std::function<void()> report) {
    auto* posted = new Report{std::move(report)};
    if (!PostMessageW(window_, kReport, generation_, reinterpret_cast<LPARAM>(posted)))
        delete posted;
}

void BackgroundJob::postLast(std::function<void()> report) {
    running_ = false;
    post(std::move(report));
}

void BackgroundJob::cancelAndWait() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
    running_ = false;
    ++generation_;
}

LRESULT CALLBACK BackgroundJob::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kReport)
        return DefWindowProcW(window, message, wParam, lParam);
    std::unique_ptr<Report> report(reinterpret_cast<Report*>(lParam));
    auto* job = reinterpret_cast<BackgroundJob*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (job && wParam == job->generation_)
        report->run();
    return 0;
}

} // namespace qx::win32
