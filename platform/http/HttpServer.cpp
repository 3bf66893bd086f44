#include "platform/http/HttpServer.h"

#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/http/Connections.h"

namespace platform::http {

using namespace detail;

struct HttpServer::Impl {
    Impl(RequestHandler& h, ServerLimits l) : handler(h), limits(l) {}

    void Accept() {
        acceptor.async_accept(net::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
            if (ec == net::error::operation_aborted) return;
            if (!ec) std::make_shared<HttpConnection>(std::move(socket), handler, limits)->Start();
            Accept();  // a failed accept (out of descriptors) must not stop the server
        });
    }

    RequestHandler& handler;
    ServerLimits limits;
    net::io_context io;
    tcp::acceptor acceptor{io};
};

HttpServer::HttpServer(RequestHandler& handler, ServerLimits limits) : impl_(std::make_unique<Impl>(handler, limits)) {}
HttpServer::~HttpServer() = default;

void HttpServer::Bind(std::uint16_t port) {
    beast::error_code ec;
    auto& acceptor = impl_->acceptor;
    // All addresses, IPv6 and IPv4 on one socket where the system allows it.
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

std::uint16_t HttpServer::BoundPort() const { return impl_->acceptor.local_endpoint().port(); }

void HttpServer::Listen() {
    beast::error_code ec;
    impl_->acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) throw std::runtime_error("cannot listen: " + ec.message());
    impl_->Accept();
}

void HttpServer::Run(unsigned threads) {
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i) helpers.emplace_back([this] { impl_->io.run(); });
    impl_->io.run();
    for (auto& helper : helpers) helper.join();
}

void HttpServer::Stop() { impl_->io.stop(); }

}  // namespace platform::http
