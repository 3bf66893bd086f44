#include "platform/session/SerialQueue.h"

#include <cstdio>
#include <exception>

#include "platform/session/WorkerPool.h"

namespace platform::session {

void SerialQueue::Post(std::function<void()> task, WorkerPool* on) {
    bool start = false;
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        start = !running_;
        running_ = true;
    }
    // The drain keeps the queue alive until it has run everything posted meanwhile.
    if (start) (on ? *on : pool_).Post([self = shared_from_this()] { self->Drain(); });
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
        try {
            task();
        } catch (const std::exception& e) {
            // Handlers' failures are reported where they run; this is the last guard, so
            // that nothing one session does can end the process serving all the others.
            std::fprintf(stderr, "Failure in a session's work: %s\n", e.what());
            std::fflush(stderr);
        } catch (...) {
            std::fprintf(stderr, "Failure in a session's work\n");
            std::fflush(stderr);
        }
    }
}

}  // namespace platform::session
