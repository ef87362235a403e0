// A fixed set of helper threads that share the items of one job with the calling thread. Helpers
// sleep while no job runs; a job returns only when every item is done.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace sw {

class WorkerPool {
  public:
    // `threads` counts the calling thread: 1 makes no helper.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threads() const { return static_cast<int>(helpers_.size()) + 1; }

    // Calls task(item, worker) once for every item in [0, count), the next free item going to
    // whoever is free; worker is 0 on the calling thread and 1 .. threads() - 1 on the helpers, so
    // that each worker may own scratch space. Each worker takes its items in increasing order.
    template <class Task>
    void forEach(int count, Task& task) {
        run(
            count, [](void* t, int item, int worker) { (*static_cast<Task*>(t))(item, worker); },
            &task);
    }

  private:
    using Call = void (*)(void* task, int item, int worker);

    void run(int count, Call call, void* task);
    void takeItems(int worker);
    void helperLoop(int worker);

    std::mutex mutex_;
    std::condition_variable wake_;  // a job started, or the pool is closing
    std::condition_variable done_;  // the last helper left the job
    std::vector<std::thread> helpers_;
    // The running job; written only while no helper is inside a job.
    Call call_ = nullptr;
    void* task_ = nullptr;
    int count_ = 0;
    std::atomic<int> next_{0};
    int helpersInJob_ = 0;
    std::uint64_t generation_ = 0;
    bool closing_ = false;
};

// The number of threads "every core" means here (at least 1).
int coreCount();

}  // namespace sw
