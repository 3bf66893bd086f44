#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/http/HttpTypes.h"

namespace platform::http {

// The built-in HTTP and WebSocket server, plain and, when given a certificate, over TLS on
// a second port. Bind and BindSecure claim the ports (so a port in use fails at once);
// Listen starts accepting; Run serves on the calling thread and helpers until Stop.
class HttpServer {
public:
    HttpServer(RequestHandler& handler, ServerLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Claims port on address (an IPv4 or IPv6 literal), or on all addresses when it is empty.
    // Throws std::runtime_error with a readable reason when the port cannot be had.
    void Bind(std::uint16_t port, const std::string& address = {});
    std::uint16_t BoundPort() const;
    // The secure listener: loads the certificate chain and the key (PEM files), then claims
    // the port. Throws std::runtime_error naming the file or the port that cannot be used.
    void BindSecure(std::uint16_t port, const std::string& certificateFile, const std::string& keyFile,
                    const std::string& address = {});
    std::uint16_t BoundSecurePort() const;  // 0 without a secure listener
    // Reads the certificate and key again; new connections use them, open ones go on with
    // theirs. Throws std::runtime_error (and the old pair stays) when the new one is unusable.
    // Listen also makes SIGHUP do this, reporting a failure on standard error.
    void ReloadCertificate();
    void Listen();
    // SIGTERM and SIGINT stop the server as Stop does (for the daemon; tests leave them be).
    void StopOnTerminationSignals();
    void Run(unsigned threads);
    void Stop();  // callable from any thread

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::http
