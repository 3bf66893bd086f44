#include "platform/http/Connections.h"

namespace platform::http::detail {

template <class Stream>
WebSocketConnection<Stream>::WebSocketConnection(Stream stream, std::shared_ptr<ssl::context> tls,
                                                 RequestHandler& handler, const ServerLimits& limits)
    : tls_(std::move(tls)), ws_(std::move(stream)), handler_(handler), limits_(limits) {}

template <class Stream>
void WebSocketConnection<Stream>::Accept(BeastRequest request) {
    // A handshake deadline, then an idle timeout kept honest by pings: after a while without
    // a byte from the browser a ping goes, and after as long again the channel is closed, so
    // a browser gone without a word (a lid shut, a cable pulled) frees its socket.
    auto timeouts = websocket::stream_base::timeout::suggested(beast::role_type::server);
    timeouts.idle_timeout = std::chrono::seconds(limits_.channelIdleSeconds);
    timeouts.keep_alive_pings = true;
    ws_.set_option(timeouts);
    ws_.read_message_max(limits_.messageLimit);
    // Each message goes as one frame in one write: cut into 4 KiB frames, a batch would leave
    // in many small segments now that Nagle's algorithm no longer gathers them.
    ws_.auto_fragment(false);
    // Compressed messages (the rows of a table shrink several times). Small windows and a low
    // memory level keep each channel's compressor at a few tens of KiB on a small board;
    // short messages are not worth it. The size limit above counts the bytes after inflating.
    websocket::permessage_deflate deflate;
    deflate.server_enable = true;
    deflate.server_max_window_bits = 12;
    deflate.client_max_window_bits = 12;
    deflate.compLevel = 6;
    deflate.memLevel = 4;
    deflate.msg_size_threshold = 256;
    ws_.set_option(deflate);
    ws_.set_option(websocket::stream_base::decorator(
        [](websocket::response_type& response) { response.set(bhttp::field::server, "brix-log-viewer"); }));
    auto shared = std::make_shared<BeastRequest>(std::move(request));
    ws_.async_accept(*shared, [self = this->shared_from_this(), shared](beast::error_code ec) {
        if (ec) return;
        self->listener_ = self->handler_.OpenChannel(ToHttpRequest(*shared), self);
        self->Read();
    });
}

template <class Stream>
void WebSocketConnection<Stream>::Read() {
    ws_.async_read(buffer_, [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec == websocket::error::message_too_big && !self->closing_) {
            // Tell the browser why, then hang up.
            self->closing_ = true;
            self->ws_.async_close(websocket::close_code::too_big, [self](beast::error_code) { self->Finish(); });
            return;
        }
        if (ec) return self->Finish();  // closed, timed out, or broken
        std::string message = beast::buffers_to_string(self->buffer_.data());
        self->buffer_.consume(self->buffer_.size());
        if (self->listener_) self->listener_->OnMessage(std::move(message));
        self->Read();
    });
}

template <class Stream>
void WebSocketConnection<Stream>::Send(std::string message) {
    net::post(ws_.get_executor(), [self = this->shared_from_this(), message = std::move(message)]() mutable {
        if (self->closing_ || self->finished_) return;
        if (self->queue_.size() >= self->limits_.writeQueueLimit) {
            // A browser that does not read is dropped rather than buffered without end.
            return self->Close();
        }
        self->queue_.push_back(std::move(message));
        if (self->queue_.size() == 1) self->WriteNext();
    });
}

template <class Stream>
void WebSocketConnection<Stream>::WriteNext() {
    ws_.text(true);
    ws_.async_write(net::buffer(queue_.front()), [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec) return self->Finish();
        self->queue_.pop_front();
        if (!self->queue_.empty()) self->WriteNext();
    });
}

template <class Stream>
void WebSocketConnection<Stream>::Close() {
    net::post(ws_.get_executor(), [self = this->shared_from_this()] {
        if (self->closing_ || self->finished_) return;
        self->closing_ = true;
        self->ws_.async_close(websocket::close_code::normal, [self](beast::error_code) { self->Finish(); });
    });
}

template <class Stream>
void WebSocketConnection<Stream>::Finish() {
    if (finished_) return;
    finished_ = true;
    queue_.clear();
    if (listener_) {
        listener_->OnClose();
        listener_.reset();
    }
    beast::error_code ignored;
    beast::get_lowest_layer(ws_).socket().close(ignored);
}

template class WebSocketConnection<PlainStream>;
template class WebSocketConnection<TlsStream>;

}  // namespace platform::http::detail
