#pragma once
// Transport internals: included only by the files of platform/http.
#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include <deque>
#include <memory>
#include <vector>

#include "platform/http/Channel.h"
#include "platform/http/HttpTypes.h"

namespace platform::http::detail {

namespace net = boost::asio;
namespace ssl = boost::asio::ssl;
namespace beast = boost::beast;
namespace bhttp = boost::beast::http;
namespace websocket = boost::beast::websocket;
using tcp = net::ip::tcp;

using BeastRequest = bhttp::request<bhttp::string_body>;
// The two kinds of connection: plain TCP, and TLS over TCP.
using PlainStream = beast::tcp_stream;
using TlsStream = beast::ssl_stream<beast::tcp_stream>;

// Our request type from Beast's, with the target split into a decoded path and query.
HttpRequest ToHttpRequest(const BeastRequest& request);

// One HTTP connection: reads requests with limits and a deadline, answers them in
// order, and hands an upgrade over to a WebSocketConnection. Over TLS it first completes
// the handshake, and holds the context it was accepted with for its whole life.
template <class Stream>
class HttpConnection : public std::enable_shared_from_this<HttpConnection<Stream>> {
public:
    HttpConnection(tcp::socket socket, RequestHandler& handler, const ServerLimits& limits,
                   std::shared_ptr<ssl::context> tls = nullptr);
    void Start();

private:
    void Read();
    void OnRead(beast::error_code ec);
    void Write(HttpResponse response, bool keepAlive, bool headOnly);
    // Sends the rest of a streamed body, a chunk at a time, then goes on as after any response.
    void SendChunk();
    void Done(beast::error_code ec);
    void Close();
    PlainStream& Tcp() { return beast::get_lowest_layer(stream_); }

    std::shared_ptr<ssl::context> tls_;  // before stream_, which refers to it
    Stream stream_;
    beast::flat_buffer buffer_;
    std::optional<bhttp::request_parser<bhttp::string_body>> parser_;
    RequestHandler& handler_;
    const ServerLimits& limits_;
    std::shared_ptr<const std::string> sending_;  // the body being written, kept alive
    std::shared_ptr<BodySource> streaming_;       // a streamed body being sent, and how far
    std::uint64_t streamed_ = 0;
    std::vector<char> chunk_;                     // only while streaming
    bool keepAlive_ = false;
};

// One browser's WebSocket. Reads messages up to the size limit; writes from a bounded
// queue, one at a time, on the connection's strand.
template <class Stream>
class WebSocketConnection : public Channel, public std::enable_shared_from_this<WebSocketConnection<Stream>> {
public:
    WebSocketConnection(Stream stream, std::shared_ptr<ssl::context> tls, RequestHandler& handler,
                        const ServerLimits& limits);
    void Accept(BeastRequest request);

    void Send(std::string message) override;
    void Close() override;

private:
    void Read();
    void WriteNext();
    void Finish();

    std::shared_ptr<ssl::context> tls_;  // before ws_, whose stream refers to it
    websocket::stream<Stream> ws_;
    beast::flat_buffer buffer_;
    RequestHandler& handler_;
    const ServerLimits& limits_;
    std::shared_ptr<ChannelListener> listener_;
    std::deque<std::string> queue_;
    bool closing_ = false;
    bool finished_ = false;
};

}  // namespace platform::http::detail
