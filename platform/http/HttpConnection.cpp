#include "platform/http/Connections.h"

namespace platform::http::detail {
namespace {

constexpr auto kTlsShutdownTimeout = std::chrono::seconds(5);

template <class Stream>
constexpr bool kTls = std::is_same_v<Stream, TlsStream>;

template <class Stream>
Stream MakeStream(tcp::socket socket, ssl::context* tls) {
    if constexpr (kTls<Stream>) return Stream(std::move(socket), *tls);
    else return Stream(std::move(socket));
}

}  // namespace

template <class Stream>
HttpConnection<Stream>::HttpConnection(tcp::socket socket, RequestHandler& handler, const ServerLimits& limits,
                                       std::shared_ptr<ssl::context> tls)
    : tls_(std::move(tls)), stream_(MakeStream<Stream>(std::move(socket), tls_.get())), handler_(handler), limits_(limits) {
    // Whole messages are written at once; Nagle's delay would only hold back each answer's
    // last segment until the browser's delayed acknowledgement (about 40 ms an event).
    beast::error_code ignored;
    Tcp().socket().set_option(tcp::no_delay(true), ignored);
}

template <class Stream>
void HttpConnection<Stream>::Start() {
    net::dispatch(stream_.get_executor(), [self = this->shared_from_this()] {
        if constexpr (kTls<Stream>) {
            // The handshake has the same deadline as a request: a silent client goes.
            self->Tcp().expires_after(std::chrono::seconds(self->limits_.readTimeoutSeconds));
            self->stream_.async_handshake(ssl::stream_base::server, [self](beast::error_code ec) {
                if (ec) return self->Tcp().close();
                self->Read();
            });
        } else {
            self->Read();
        }
    });
}

template <class Stream>
void HttpConnection<Stream>::Read() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(limits_.headerLimit));
    parser_->body_limit(limits_.bodyLimit);
    // The deadline covers a silent client and the idle time between keep-alive requests.
    Tcp().expires_after(std::chrono::seconds(limits_.readTimeoutSeconds));
    bhttp::async_read(stream_, buffer_, *parser_,
                      [self = this->shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
}

template <class Stream>
void HttpConnection<Stream>::OnRead(beast::error_code ec) {
    if (ec == bhttp::error::end_of_stream || ec == beast::error::timeout || ec == net::error::operation_aborted ||
        ec == net::error::connection_reset || ec == ssl::error::stream_truncated) {
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
        Tcp().expires_never();
        auto ws = std::make_shared<WebSocketConnection<Stream>>(std::move(stream_), tls_, handler_, limits_);
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

template <class Stream>
void HttpConnection<Stream>::Write(HttpResponse response, bool keepAlive, bool headOnly) {
    auto message = std::make_shared<bhttp::response<bhttp::span_body<const char>>>();
    message->version(11);
    message->result(static_cast<unsigned>(response.status));
    message->set(bhttp::field::server, "brix-log-viewer");
    message->set(bhttp::field::content_type, response.contentType);
    for (const auto& [name, value] : response.headers) message->insert(name, value);
    message->keep_alive(keepAlive);
    keepAlive_ = keepAlive;
    streaming_ = headOnly ? nullptr : response.stream;
    streamed_ = 0;
    sending_ = response.body;
    const bool headerOnly = headOnly || streaming_;
    if (response.stream) {
        message->content_length(response.stream->Size());
    } else if (headOnly) {
        message->content_length(sending_->size());
    } else {
        message->body() = boost::span<const char>(sending_->data(), sending_->size());
        message->prepare_payload();
    }
    // Each write must make progress within the deadline: a reader that takes nothing ends.
    Tcp().expires_after(std::chrono::seconds(limits_.stallTimeoutSeconds));
    if (headerOnly) {
        auto serializer = std::make_shared<bhttp::response_serializer<bhttp::span_body<const char>>>(*message);
        bhttp::async_write_header(stream_, *serializer,
                                  [self = this->shared_from_this(), message, serializer](beast::error_code ec, std::size_t) {
                                      if (ec) return self->Done(ec);
                                      if (self->streaming_) return self->SendChunk();
                                      self->Done(ec);
                                  });
    } else {
        bhttp::async_write(stream_, *message,
                           [self = this->shared_from_this(), message](beast::error_code ec, std::size_t) { self->Done(ec); });
    }
}

template <class Stream>
void HttpConnection<Stream>::SendChunk() {
    const std::uint64_t left = streaming_->Size() - streamed_;
    if (left == 0) return Done({});
    if (chunk_.empty()) chunk_.resize(limits_.streamChunk);
    std::size_t n = 0;
    try {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk_.size(), left));
        n = streaming_->ReadAt(streamed_, std::span<char>(chunk_.data(), want));
    } catch (const std::exception&) {
        n = 0;
    }
    // The source cannot give what Content-Length promised: hang up mid-body, so the
    // browser sees a broken transfer and never takes other bytes for the file.
    if (n == 0) return Done(net::error::broken_pipe);
    Tcp().expires_after(std::chrono::seconds(limits_.stallTimeoutSeconds));
    net::async_write(stream_, net::buffer(chunk_.data(), n), [self = this->shared_from_this()](beast::error_code ec, std::size_t sent) {
        if (ec) return self->Done(ec);
        self->streamed_ += sent;
        self->SendChunk();
    });
}

template <class Stream>
void HttpConnection<Stream>::Done(beast::error_code ec) {
    sending_.reset();
    streaming_.reset();
    chunk_ = {};
    if (ec || !keepAlive_) return Close();
    Read();
}

template <class Stream>
void HttpConnection<Stream>::Close() {
    beast::error_code ignored;
    if constexpr (kTls<Stream>) {
        // Say goodbye in TLS, but never wait long for a peer that does not answer.
        Tcp().expires_after(kTlsShutdownTimeout);
        stream_.async_shutdown([self = this->shared_from_this()](beast::error_code) { self->Tcp().close(); });
    } else {
        Tcp().socket().shutdown(tcp::socket::shutdown_send, ignored);
        Tcp().close();
    }
}

template class HttpConnection<PlainStream>;
template class HttpConnection<TlsStream>;

}  // namespace platform::http::detail
