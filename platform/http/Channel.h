#pragma once
#include <string>

namespace platform::http {

// The server's end of one browser's message channel (a WebSocket). Callable from any
// thread; the transport queues the work on the connection's own strand.
class Channel {
public:
    virtual ~Channel() = default;
    virtual void Send(std::string message) = 0;
    virtual void Close() = 0;
};

// What the application side hears from a channel, on the transport's threads.
class ChannelListener {
public:
    virtual ~ChannelListener() = default;
    virtual void OnMessage(std::string message) = 0;
    virtual void OnClose() = 0;
};

}  // namespace platform::http
