#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace platform::session {

class WorkerPool;

// Runs its tasks one after another, in the order posted, on a WorkerPool: the events of
// one session never overlap, while different sessions' queues run side by side.
class SerialQueue : public std::enable_shared_from_this<SerialQueue> {
public:
    explicit SerialQueue(WorkerPool& pool) : pool_(pool) {}
    // An idle queue starts its run on `on` (by default its own pool) and runs there every
    // task posted meanwhile; a busy queue runs the task where it runs.
    void Post(std::function<void()> task, WorkerPool* on = nullptr);

private:
    void Drain();

    WorkerPool& pool_;
    std::mutex mutex_;  // guards tasks_ and running_; taken after any registry lock
    std::deque<std::function<void()>> tasks_;
    bool running_ = false;
};

}  // namespace platform::session
