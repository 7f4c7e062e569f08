#pragma once
// A fixed set of threads taking tasks in the order they were given. Each task learns the
// number of the worker that runs it, so it can use that worker's own coder state.
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace qx::zip {

class WorkerPool {
public:
    using Task = std::function<void(int worker)>;

    explicit WorkerPool(int workers);
    // Runs the tasks still waiting, then joins the threads.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int size() const { return static_cast<int>(threads_.size()); }
    // The future carries the task's exception, if it throws.
    std::future<void> submit(Task task);

private:
    void work(int worker);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<void(int)>> tasks_;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

// The number of workers that packing and checking use: QX_ZIP_WORKERS when it holds a
// positive number, else the cores the system reports; at least one.
int ZipWorkers();

} // namespace qx::zip
