#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::http {

// A parsed request, handed to the application side without any transport types.
struct HttpRequest {
    std::string method;                          // "GET", "HEAD", ...
    std::string path;                            // decoded path, no query
    std::map<std::string, std::string> query;    // decoded query parameters
    std::map<std::string, std::string> headers;  // lower-case names
    std::string body;

    std::string Header(const std::string& lowerCaseName) const {
        const auto found = headers.find(lowerCaseName);
        return found == headers.end() ? std::string() : found->second;
    }
    // Whether the client takes a body in this content coding ("gzip"), by its Accept-Encoding.
    bool AcceptsEncoding(std::string_view coding) const;
    std::string Query(const std::string& name) const {
        const auto found = query.find(name);
        return found == query.end() ? std::string() : found->second;
    }
};

// A body read piece by piece while it is sent, so that a download of any size costs the
// server one small buffer. Size() is promised in Content-Length before the first byte goes.
class BodySource {
public:
    virtual ~BodySource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads up to into.size() bytes at offset (offset < Size()); returns the count. 0 means
    // the source cannot give the bytes it promised: the transfer is broken off, so the
    // browser reports a failed download rather than keeping a short or wrong file.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<char> into) = 0;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::shared_ptr<const std::string> body = std::make_shared<const std::string>();
    // When set, the body comes from here instead of `body`.
    std::shared_ptr<BodySource> stream;
    std::vector<std::pair<std::string, std::string>> headers;

    static HttpResponse Text(int status, std::string text) {
        HttpResponse response;
        response.status = status;
        response.body = std::make_shared<const std::string>(std::move(text));
        return response;
    }
};

class Channel;
class ChannelListener;

// The application side of the server.
class RequestHandler {
public:
    virtual ~RequestHandler() = default;
    virtual HttpResponse Handle(const HttpRequest& request) = 0;
    // A WebSocket was accepted for request; returns who hears its messages.
    virtual std::shared_ptr<ChannelListener> OpenChannel(const HttpRequest& request,
                                                         std::shared_ptr<Channel> channel) = 0;
    // Whether request may become a WebSocket (path and origin checks).
    virtual bool AcceptsChannel(const HttpRequest& request) = 0;
};

struct ServerLimits {
    std::size_t headerLimit = 64 * 1024;       // room for the many cookies of 4 KiB a browser may hold
    std::size_t bodyLimit = 64 * 1024;
    std::size_t messageLimit = 256 * 1024;     // one WebSocket message from a browser
    std::size_t writeQueueLimit = 256;         // messages waiting for a slow browser
    int readTimeoutSeconds = 30;               // each HTTP read, including keep-alive idle
    int channelIdleSeconds = 10;               // a silent channel is pinged after this, closed after twice
    int stallTimeoutSeconds = 60;              // a download whose reader takes nothing for this long ends
    std::size_t streamChunk = 64 * 1024;       // a streamed body is read and sent this much at a time
};

}  // namespace platform::http
