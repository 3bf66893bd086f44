#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::session {

// A fixed set of threads that run posted tasks in any order. Sessions put their work
// here through a SerialQueue each, so one session's long handler occupies one thread
// and the others go on serving.
class WorkerPool {
public:
    explicit WorkerPool(unsigned threads);
    ~WorkerPool();  // finishes the queued tasks, then joins
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void Post(std::function<void()> task);

private:
    void Work();

    std::mutex mutex_;  // guards tasks_ and stopping_; leaf lock
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace platform::session
