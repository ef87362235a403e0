#include "platform/raster/worker_pool.h"

namespace sw {

WorkerPool::WorkerPool(int threads) {
    for (int worker = 1; worker < threads; ++worker)
        helpers_.emplace_back([this, worker] { helperLoop(worker); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
}

void WorkerPool::takeItems(int worker) {
    for (int item = next_.fetch_add(1, std::memory_order_relaxed); item < count_;
         item = next_.fetch_add(1, std::memory_order_relaxed))
        call_(task_, item, worker);
}

void WorkerPool::run(int count, Call call, void* task) {
    if (count <= 0) return;
    if (helpers_.empty() || count == 1) {
        for (int item = 0; item < count; ++item) call(task, item, 0);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        call_ = call;
        task_ = task;
        count_ = count;
        next_.store(0, std::memory_order_relaxed);
        helpersInJob_ = static_cast<int>(helpers_.size());
        ++generation_;
    }
    wake_.notify_all();
    takeItems(0);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return helpersInJob_ == 0; });
    call_ = nullptr;
    task_ = nullptr;
}

void WorkerPool::helperLoop(int worker) {
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return closing_ || generation_ != seen; });
        if (closing_) return;
        seen = generation_;
        lock.unlock();
        takeItems(worker);
        lock.lock();
        if (--helpersInJob_ == 0) done_.notify_one();
    }
}

int coreCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int>(cores) : 1;
}

}  // namespace sw
