#include "platform/session/SessionRegistry.h"

#include "platform/runtime/Memory.h"

#include <optional>

namespace platform::session {

SessionRegistry::SessionRegistry(std::size_t capacity, Clock::duration grace, Clock::duration unattachedGrace)
    : capacity_(capacity), grace_(grace), unattachedGrace_(unattachedGrace) {}

SessionRegistry::~SessionRegistry() {
    {
        std::lock_guard lock(sweeperMutex_);
        stopping_ = true;
    }
    sweeperWake_.notify_all();
    if (sweeper_.joinable()) sweeper_.join();
}

bool SessionRegistry::Add(std::shared_ptr<SessionBase> session) {
    if (Count() >= capacity_) Sweep();
    std::vector<std::shared_ptr<SessionBase>> ended;  // released after the lock
    {
        std::lock_guard lock(mutex_);
        // A burst of start pages that never run must not keep a real browser out.
        while (sessions_.size() >= capacity_)
            if (!EndOneIdle(ended)) break;
        if (sessions_.size() >= capacity_) return false;
        sessions_.emplace(session->Identifier(), std::move(session));
    }
    Release(ended);
    return true;
}

bool SessionRegistry::EndOneIdle(std::vector<std::shared_ptr<SessionBase>>& ended) {
    auto chosen = sessions_.end();
    std::optional<Clock::time_point> chosenSince;
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        const auto since = it->second->IdleSince();
        if (!since) continue;
        const bool better = chosen == sessions_.end() ||
                            (!it->second->EverAttached() && chosen->second->EverAttached()) ||
                            (it->second->EverAttached() == chosen->second->EverAttached() && *since < *chosenSince);
        if (better) {
            chosen = it;
            chosenSince = since;
        }
    }
    if (chosen == sessions_.end()) return false;
    ended.push_back(std::move(chosen->second));
    sessions_.erase(chosen);
    return true;
}

void SessionRegistry::Release(std::vector<std::shared_ptr<SessionBase>>& ended) {
    for (auto& session : ended) session->Post([keep = session] {});
    ended.clear();
}

std::shared_ptr<SessionBase> SessionRegistry::Find(const std::string& identifier) const {
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(identifier);
    return found == sessions_.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<SessionBase>> SessionRegistry::All() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<SessionBase>> all;
    all.reserve(sessions_.size());
    for (const auto& [id, session] : sessions_) all.push_back(session);
    return all;
}

std::size_t SessionRegistry::Count() const {
    std::lock_guard lock(mutex_);
    return sessions_.size();
}

std::size_t SessionRegistry::Sweep(Clock::time_point now) {
    std::vector<std::shared_ptr<SessionBase>> ended;  // released after the lock
    {
        std::lock_guard lock(mutex_);
        for (auto it = sessions_.begin(); it != sessions_.end();) {
            if (it->second->IsAbandoned(now, grace_, unattachedGrace_)) {
                ended.push_back(std::move(it->second));
                it = sessions_.erase(it);
            } else {
                ++it;
            }
        }
    }
    const std::size_t count = ended.size();
    Release(ended);
    return count;
}

void SessionRegistry::EndAll() {
    std::unordered_map<std::string, std::shared_ptr<SessionBase>> ended;  // released after the lock
    {
        std::lock_guard lock(mutex_);
        ended.swap(sessions_);
    }
    for (auto& [id, session] : ended) session->Post([keep = session] {});
}

void SessionRegistry::StartSweeping(Clock::duration interval) {
    sweeper_ = std::thread([this, interval] {
        std::unique_lock lock(sweeperMutex_);
        bool ended = false;
        while (!sweeperWake_.wait_for(lock, interval, [this] { return stopping_; })) {
            lock.unlock();
            // Sessions ended by the last sweep have been freed on their queues by now: what
            // they held goes back to the system, so the daemon shrinks after a busy spell.
            if (ended) ReturnFreeMemory();
            ended = Sweep() > 0;
            lock.lock();
        }
    });
}

}  // namespace platform::session
