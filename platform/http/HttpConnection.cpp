#include "platform/http/Connections.h"

namespace platform::http::detail {

HttpConnection::HttpConnection(tcp::socket socket, RequestHandler& handler, const ServerLimits& limits)
    : stream_(std::move(socket)), handler_(handler), limits_(limits) {}

void HttpConnection::Start() {
    net::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->Read(); });
}

void HttpConnection::Read() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(limits_.headerLimit));
    parser_->body_limit(limits_.bodyLimit);
    // The deadline covers a silent client and the idle time between keep-alive requests.
    stream_.expires_after(std::chrono::seconds(limits_.readTimeoutSeconds));
    bhttp::async_read(stream_, buffer_, *parser_,
                      [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
}

void HttpConnection::OnRead(beast::error_code ec) {
    if (ec == bhttp::error::end_of_stream || ec == beast::error::timeout || ec == net::error::operation_aborted ||
        ec == net::error::connection_reset) {
        return Close();
    }
    if (ec) {
        // Over a limit or malformed: answer once, then hang up.
        auto response = HttpResponse::Text(ec == bhttp::error::body_limit || ec == bhttp::error::header_limit ? 413 : 400,
                                           "Bad request\n");
        return Write(std::move(response), false, false);
    }
    BeastRequest request = parser_->release();
    const bool keepAlive = request.keep_alive();
    if (websocket::is_upgrade(request)) {
        const HttpRequest ours = ToHttpRequest(request);
        if (!handler_.AcceptsChannel(ours)) return Write(HttpResponse::Text(403, "Forbidden\n"), false, false);
        stream_.expires_never();
        auto ws = std::make_shared<WebSocketConnection>(std::move(stream_), handler_, limits_);
        ws->Accept(std::move(request));
        return;
    }
    HttpResponse response;
    try {
        response = handler_.Handle(ToHttpRequest(request));
    } catch (const std::exception&) {
        response = HttpResponse::Text(500, "Internal error\n");
    }
    Write(std::move(response), keepAlive, request.method() == bhttp::verb::head);
}

void HttpConnection::Write(HttpResponse response, bool keepAlive, bool headOnly) {
    auto message = std::make_shared<bhttp::response<bhttp::span_body<const char>>>();
    message->version(11);
    message->result(static_cast<unsigned>(response.status));
    message->set(bhttp::field::server, "brix-log-viewer");
    message->set(bhttp::field::content_type, response.contentType);
    for (const auto& [name, value] : response.headers) message->insert(name, value);
    sending_ = response.body;
    message->keep_alive(keepAlive);
    if (headOnly) {
        message->content_length(sending_->size());
    } else {
        message->body() = boost::span<const char>(sending_->data(), sending_->size());
        message->prepare_payload();
    }
    // A large download may take a while on a slow link; allow a generous write deadline.
    stream_.expires_after(std::chrono::seconds(limits_.readTimeoutSeconds + static_cast<int>(sending_->size() >> 16)));
    auto write = [self = shared_from_this(), message, keepAlive](beast::error_code ec, std::size_t) {
        self->sending_.reset();
        if (ec || !keepAlive) return self->Close();
        self->Read();
    };
    if (headOnly) {
        auto serializer = std::make_shared<bhttp::response_serializer<bhttp::span_body<const char>>>(*message);
        bhttp::async_write_header(stream_, *serializer,
                                  [write, serializer](beast::error_code ec, std::size_t n) { write(ec, n); });
    } else {
        bhttp::async_write(stream_, *message, std::move(write));
    }
}

void HttpConnection::Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.close();
}

}  // namespace platform::http::detail
