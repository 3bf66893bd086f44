#pragma once
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/session/SerialQueue.h"

namespace platform::session {

using Clock = std::chrono::steady_clock;

// What the registry and the transport need of a browser session: its identifier, its
// queue of work, and whether a browser is attached to it.
class SessionBase {
public:
    // Short work runs on pool; a page's opening, which may read a whole log, on longPool.
    SessionBase(std::string identifier, WorkerPool& pool, WorkerPool& longPool);
    virtual ~SessionBase() = default;
    SessionBase(const SessionBase&) = delete;
    SessionBase& operator=(const SessionBase&) = delete;

    const std::string& Identifier() const { return identifier_; }

    // Runs task on this session's queue with the session as the current session.
    void Post(std::function<void()> task);
    // As Post, for work that may take long (opening a page on a huge log): it runs on the
    // pool for long work, which holds as many at once as there are cores and queues the
    // rest, so the short events of other sessions never wait behind it.
    void PostLong(std::function<void()> task);

    // Channel bookkeeping for expiry; callable from any thread.
    void MarkAttached() {
        everAttached_ = true;
        ++attached_;
    }
    void MarkDetached(Clock::time_point now = Clock::now());
    // A session whose browser went away more than grace ago, or that no browser ever
    // attached to within unattachedGrace of its making (a start page fetched and never run).
    bool IsAbandoned(Clock::time_point now, Clock::duration grace, Clock::duration unattachedGrace) const;
    // Since when no browser is attached: its making, or the last detach; nullopt while one is.
    std::optional<Clock::time_point> IdleSince() const;
    bool EverAttached() const { return everAttached_; }

private:
    std::string identifier_;
    std::shared_ptr<SerialQueue> queue_;
    WorkerPool& longPool_;
    std::atomic<int> attached_{0};
    std::atomic<bool> everAttached_{false};
    std::atomic<Clock::rep> detachedSince_;  // the making, until a browser first detaches
};

// The session whose work the calling thread runs now; null on any other thread.
SessionBase* CurrentSessionBase();

// Makes a session current on this thread for the scope's life (restoring the previous one).
class CurrentSessionScope {
public:
    explicit CurrentSessionScope(SessionBase* session);
    ~CurrentSessionScope();
    CurrentSessionScope(const CurrentSessionScope&) = delete;
    CurrentSessionScope& operator=(const CurrentSessionScope&) = delete;

private:
    SessionBase* previous_;
};

}  // namespace platform::session
