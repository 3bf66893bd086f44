#pragma once
#include <functional>
#include <utility>
#include <vector>

namespace platform {

// An event of a control: handlers attached in order and run in that order, at once,
// on the raising thread. A handler's exception leaves the raise to the raiser's caller.
template <class... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;
    void Connect(Handler handler) { handlers_.push_back(std::move(handler)); }
    bool HasHandlers() const { return !handlers_.empty(); }
    void Raise(Args... args) const {
        for (const auto& handler : handlers_) handler(args...);
    }

private:
    std::vector<Handler> handlers_;
};

}  // namespace platform
