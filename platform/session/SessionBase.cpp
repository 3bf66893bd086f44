#include "platform/session/SessionBase.h"

namespace platform::session {
namespace {
thread_local SessionBase* current = nullptr;
}

SessionBase::SessionBase(std::string identifier, WorkerPool& pool, WorkerPool& longPool)
    : identifier_(std::move(identifier)),
      queue_(std::make_shared<SerialQueue>(pool)),
      longPool_(longPool),
      detachedSince_(Clock::now().time_since_epoch().count()) {}

void SessionBase::Post(std::function<void()> task) {
    queue_->Post([this, task = std::move(task)] {
        CurrentSessionScope scope(this);
        task();
    });
}

void SessionBase::PostLong(std::function<void()> task) {
    queue_->Post(
        [this, task = std::move(task)] {
            CurrentSessionScope scope(this);
            task();
        },
        &longPool_);
}

void SessionBase::MarkDetached(Clock::time_point now) {
    detachedSince_ = now.time_since_epoch().count();
    --attached_;
}

bool SessionBase::IsAbandoned(Clock::time_point now, Clock::duration grace, Clock::duration unattachedGrace) const {
    const auto idle = IdleSince();
    return idle && now - *idle > (everAttached_ ? grace : unattachedGrace);
}

std::optional<Clock::time_point> SessionBase::IdleSince() const {
    if (attached_ > 0) return std::nullopt;
    return Clock::time_point(Clock::duration(detachedSince_.load()));
}

SessionBase* CurrentSessionBase() { return current; }

CurrentSessionScope::CurrentSessionScope(SessionBase* session) : previous_(current) { current = session; }
CurrentSessionScope::~CurrentSessionScope() { current = previous_; }

}  // namespace platform::session
