#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/http/HttpTypes.h"

namespace platform::http {

// The built-in HTTP and WebSocket server. Bind claims the port (so a port in use fails
// at once); Listen starts accepting; Run serves on the calling thread and helpers until Stop.
class HttpServer {
public:
    HttpServer(RequestHandler& handler, ServerLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Throws std::runtime_error with a readable reason when the port cannot be had.
    void Bind(std::uint16_t port);
    std::uint16_t BoundPort() const;
    void Listen();
    void Run(unsigned threads);
    void Stop();  // callable from any thread

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::http
