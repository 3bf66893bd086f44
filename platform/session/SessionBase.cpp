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

bool SessionBase::IsAbandoned(Clock::time_point now, Clock::duration grace) const {
    if (attached_ > 0) return false;
    return now - Clock::time_point(Clock::duration(detachedSince_.load())) > grace;
}

SessionBase* CurrentSessionBase() { return current; }

CurrentSessionScope::CurrentSessionScope(SessionBase* session) : previous_(current) { current = session; }
CurrentSessionScope::~CurrentSessionScope() { current = previous_; }

}  // namespace platform::session
