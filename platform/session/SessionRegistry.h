#pragma once
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/session/SessionBase.h"

namespace platform::session {

// The live sessions by identifier. Sessions whose browser has gone for longer than the
// grace period, or that no browser attached to soon after their making, are ended by
// Sweep; a cap keeps memory bounded, and only browsers that are attached hold it.
class SessionRegistry {
public:
    SessionRegistry(std::size_t capacity, Clock::duration grace,
                    Clock::duration unattachedGrace = std::chrono::seconds(10));
    ~SessionRegistry();

    // At the cap, ends abandoned sessions, then the one no browser is attached to that has
    // waited longest (one never attached first, a closed tab after). False only when every
    // session has its browser attached.
    bool Add(std::shared_ptr<SessionBase> session);
    std::shared_ptr<SessionBase> Find(const std::string& identifier) const;
    std::vector<std::shared_ptr<SessionBase>> All() const;  // in no particular order
    std::size_t Count() const;

    // Ends the abandoned sessions; returns how many. The last task of a session still
    // holds it, so its page is freed when that task is done, never under a running handler.
    std::size_t Sweep(Clock::time_point now = Clock::now());
    // Ends every session, attached or not (the server is stopping).
    void EndAll();
    // Sweeps every interval on a thread of its own until destruction.
    void StartSweeping(Clock::duration interval);

private:
    // Ends the session that Add may sacrifice; false when there is none. Caller holds mutex_.
    bool EndOneIdle(std::vector<std::shared_ptr<SessionBase>>& ended);
    // Frees the ended sessions on their own queues, after whatever they still run.
    static void Release(std::vector<std::shared_ptr<SessionBase>>& ended);

    std::size_t capacity_;
    Clock::duration grace_;
    Clock::duration unattachedGrace_;
    mutable std::mutex mutex_;  // guards sessions_; taken before any session's queue lock
    std::unordered_map<std::string, std::shared_ptr<SessionBase>> sessions_;

    std::mutex sweeperMutex_;  // guards stopping_; leaf lock
    std::condition_variable sweeperWake_;
    bool stopping_ = false;
    std::thread sweeper_;
};

}  // namespace platform::session
