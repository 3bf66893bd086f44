#include "platform/http/HttpServer.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/http/Connections.h"
#include "platform/http/TlsContext.h"

namespace platform::http {

using namespace detail;

namespace {

// Claims port on one address (an IP literal), or when none is given on all addresses, IPv6
// and IPv4 on one socket where the system allows it.
void BindAcceptor(tcp::acceptor& acceptor, std::uint16_t port, const std::string& address) {
    beast::error_code ec;
    if (!address.empty()) {
        const auto ip = net::ip::make_address(address, ec);
        if (ec) throw std::runtime_error("cannot listen on " + address + ": not an IP address");
        const tcp::endpoint endpoint(ip, port);
        acceptor.open(endpoint.protocol(), ec);
        if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
        if (!ec) acceptor.bind(endpoint, ec);
        if (ec) throw std::runtime_error("cannot use port " + std::to_string(port) + " on " + address + ": " + ec.message());
        return;
    }
    acceptor.open(tcp::v6(), ec);
    if (!ec) {
        acceptor.set_option(net::ip::v6_only(false), ec);
        acceptor.set_option(net::socket_base::reuse_address(true), ec);
        acceptor.bind(tcp::endpoint(tcp::v6(), port), ec);
        if (ec == net::error::address_family_not_supported || ec == boost::system::errc::address_not_available) {
            acceptor.close();
        }
    }
    if (!acceptor.is_open()) {
        ec.clear();
        acceptor.open(tcp::v4(), ec);
        if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
        if (!ec) acceptor.bind(tcp::endpoint(tcp::v4(), port), ec);
    }
    if (ec) throw std::runtime_error("cannot use port " + std::to_string(port) + ": " + ec.message());
}

}  // namespace

struct HttpServer::Impl {
    Impl(RequestHandler& h, ServerLimits l) : handler(h), limits(l) {}

    // Accepts for ever on acceptor; make starts each connection.
    template <class Make>
    void Accept(tcp::acceptor& acceptor, Make make) {
        acceptor.async_accept(net::make_strand(io), [this, &acceptor, make](beast::error_code ec, tcp::socket socket) {
            if (ec == net::error::operation_aborted) return;
            if (!ec) {
                make(std::move(socket));
                return Accept(acceptor, make);
            }
            // Out of descriptors (or another passing failure): pause instead of spinning on
            // a listen queue that cannot be emptied; connections that end meanwhile free some.
            auto pause = std::make_shared<net::steady_timer>(io, std::chrono::milliseconds(100));
            pause->async_wait([this, &acceptor, make, pause](beast::error_code waited) {
                if (!waited) Accept(acceptor, make);
            });
        });
    }

    void Load() { tls.store(MakeTlsContext(certificateFile, keyFile)); }

    void WaitForHangup() {
        hangup->async_wait([this](beast::error_code ec, int) {
            if (ec) return;
            try {
                Load();
                std::fprintf(stderr, "Certificate reloaded from %s\n", certificateFile.c_str());
            } catch (const std::exception& e) {
                std::fprintf(stderr, "Certificate not reloaded, the old one stays in use: %s\n", e.what());
            }
            std::fflush(stderr);
            WaitForHangup();
        });
    }

    RequestHandler& handler;
    ServerLimits limits;
    net::io_context io;
    tcp::acceptor acceptor{io};
    tcp::acceptor secureAcceptor{io};
    std::string certificateFile, keyFile;
    std::atomic<std::shared_ptr<ssl::context>> tls;  // the pair new secure connections get
    std::optional<net::signal_set> hangup;
    std::optional<net::signal_set> termination;
};

HttpServer::HttpServer(RequestHandler& handler, ServerLimits limits) : impl_(std::make_unique<Impl>(handler, limits)) {}
HttpServer::~HttpServer() = default;

void HttpServer::Bind(std::uint16_t port, const std::string& address) { BindAcceptor(impl_->acceptor, port, address); }

std::uint16_t HttpServer::BoundPort() const { return impl_->acceptor.local_endpoint().port(); }

void HttpServer::BindSecure(std::uint16_t port, const std::string& certificateFile, const std::string& keyFile,
                            const std::string& address) {
    impl_->certificateFile = certificateFile;
    impl_->keyFile = keyFile;
    impl_->Load();
    BindAcceptor(impl_->secureAcceptor, port, address);
}

std::uint16_t HttpServer::BoundSecurePort() const {
    return impl_->secureAcceptor.is_open() ? impl_->secureAcceptor.local_endpoint().port() : 0;
}

void HttpServer::ReloadCertificate() {
    if (!impl_->secureAcceptor.is_open()) return;
    impl_->Load();
}

void HttpServer::Listen() {
    auto& impl = *impl_;
    beast::error_code ec;
    impl.acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (!ec && impl.secureAcceptor.is_open()) impl.secureAcceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) throw std::runtime_error("cannot listen: " + ec.message());
    impl.Accept(impl.acceptor, [&impl](tcp::socket socket) {
        std::make_shared<HttpConnection<PlainStream>>(std::move(socket), impl.handler, impl.limits)->Start();
    });
    if (!impl.secureAcceptor.is_open()) return;
    impl.Accept(impl.secureAcceptor, [&impl](tcp::socket socket) {
        std::make_shared<HttpConnection<TlsStream>>(std::move(socket), impl.handler, impl.limits, impl.tls.load())
            ->Start();
    });
    // Certificates get renewed on devices: SIGHUP reads the pair again.
    impl.hangup.emplace(impl.io, SIGHUP);
    impl.WaitForHangup();
}

void HttpServer::StopOnTerminationSignals() {
    impl_->termination.emplace(impl_->io, SIGTERM, SIGINT);
    impl_->termination->async_wait([this](beast::error_code ec, int) {
        if (!ec) Stop();
    });
}

void HttpServer::Run(unsigned threads) {
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i) helpers.emplace_back([this] { impl_->io.run(); });
    impl_->io.run();
    for (auto& helper : helpers) helper.join();
}

void HttpServer::Stop() { impl_->io.stop(); }

}  // namespace platform::http
