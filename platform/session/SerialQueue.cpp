#include "platform/session/SerialQueue.h"

#include "platform/session/WorkerPool.h"

namespace platform::session {

void SerialQueue::Post(std::function<void()> task) {
    bool start = false;
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        start = !running_;
        running_ = true;
    }
    // The drain keeps the queue alive until it has run everything posted meanwhile.
    if (start) pool_.Post([self = shared_from_this()] { self->Drain(); });
}

void SerialQueue::Drain() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) {
                running_ = false;
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

}  // namespace platform::session
