#include "zip/WorkerPool.h"

#include "platform/Environment.h"

#include <algorithm>
#include <cstdlib>

namespace qx::zip {
namespace {

constexpr int kMostWorkers = 64;

} // namespace

WorkerPool::WorkerPool(int workers) {
    const int count = std::clamp(workers, 1, kMostWorkers);
    threads_.reserve(static_cast<std::size_t>(count));
    for (int worker = 0; worker < count; ++worker)
        threads_.emplace_back([this, worker] { work(worker); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (auto& thread : threads_)
        thread.join();
}

std::future<void> WorkerPool::submit(Task task) {
    std::packaged_task<void(int)> packaged(std::move(task));
    std::future<void> done = packaged.get_future();
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(packaged));
    }
    wake_.notify_one();
    return done;
}

void WorkerPool::work(int worker) {
    for (;;) {
        std::packaged_task<void(int)> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return closing_ || !tasks_.empty(); });
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task(worker);
    }
}

int ZipWorkers() {
    const std::string forced = platform::GetEnvironmentText("QX_ZIP_WORKERS");
    char* end = nullptr;
    const long value = forced.empty() ? 0 : std::strtol(forced.c_str(), &end, 10);
    if (value > 0 && end && *end == '\0')
        return static_cast<int>(std::min<long>(value, kMostWorkers));
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

} // namespace qx::zip
