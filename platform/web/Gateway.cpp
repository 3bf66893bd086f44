#include "platform/web/Gateway.h"

#include <algorithm>
#include <atomic>
#include <cctype>

#include "platform/http/Channel.h"
#include "platform/session/RandomToken.h"
#include "platform/session/SessionRegistry.h"
#include "platform/web/StartPage.h"
#include "platform/web/WebApplication.h"
#include "platform/web/WebFile.h"
#include "platform/web/WebSession.h"

namespace platform {
namespace {

using http::HttpRequest;
using http::HttpResponse;

constexpr std::string_view kClientPrefix = "/_client/";
constexpr std::string_view kFilesPrefix = "/_files/";

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

HttpResponse Html(int status, std::string body) {
    HttpResponse response = HttpResponse::Text(status, std::move(body));
    response.contentType = "text/html; charset=utf-8";
    response.headers.emplace_back("Cache-Control", "no-store");
    // Our script only; text reaches the page as text, and this stops anything that slipped.
    response.headers.emplace_back("Content-Security-Policy",
                                  "default-src 'self'; script-src 'self'; style-src 'self' 'unsafe-inline'; "
                                  "img-src 'self' data:; connect-src 'self'; frame-ancestors 'none'");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    return response;
}

// filename="..." for Content-Disposition, with anything that is not plain ASCII made safe.
std::string QuotedFileName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u >= 0x7F || c == '"' || c == '\\') ? '_' : c;
    }
    return "\"" + out + "\"";
}

// Forwards a channel's traffic to its session's queue. What one browser may have waiting
// there is bounded: a browser that sends faster than its session handles is cut off, so
// one client costs at most a fixed amount whatever it sends.
// The heartbeat both ways: the page sends it every few seconds and after each event, and
// takes a channel that does not answer it for lost.
constexpr std::string_view kBeat = R"({"t":"beat"})";

class SessionChannel final : public http::ChannelListener,
                             public std::enable_shared_from_this<SessionChannel> {
public:
    static constexpr std::size_t kMaxWaitingMessages = 64;
    static constexpr std::size_t kMaxWaitingBytes = 4 << 20;

    SessionChannel(std::shared_ptr<WebSession> session, std::shared_ptr<http::Channel> channel)
        : session_(std::move(session)), channel_(std::move(channel)) {}

    void OnMessage(std::string message) override {
        // A page's heartbeat is answered here, never behind its session's work, so a busy
        // session is never taken for a lost network.
        if (message == kBeat) return channel_->Send(std::string(kBeat));
        const std::size_t bytes = message.size();
        if (waitingMessages_ + 1 > kMaxWaitingMessages || waitingBytes_ + bytes > kMaxWaitingBytes) {
            channel_->Close();  // the page reconnects and is painted whole, if it is a real browser
            return;
        }
        waitingMessages_ += 1;
        waitingBytes_ += bytes;
        session_->Post([self = shared_from_this(), message = std::move(message)] {
            self->waitingMessages_ -= 1;
            self->waitingBytes_ -= message.size();
            self->session_->HandleMessage(message);
        });
    }
    void OnClose() override {
        session_->MarkDetached();
        session_->Post([session = session_, channel = channel_] { session->Detach(channel); });
    }

private:
    std::shared_ptr<WebSession> session_;
    std::shared_ptr<http::Channel> channel_;
    std::atomic<std::size_t> waitingMessages_{0};  // posted to the session and not yet handled
    std::atomic<std::size_t> waitingBytes_{0};
};

// A channel for a session the server no longer has: the browser is told to start afresh.
class GoneChannel final : public http::ChannelListener {
public:
    void OnMessage(std::string) override {}
    void OnClose() override {}
};

// The refusal of a name the device does not answer to, saying how to allow it.
HttpResponse MisdirectedRequest(const std::string& host) {
    std::string shown;
    for (const char c : host.substr(0, 100))
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']') shown += c;
    HttpResponse response = HttpResponse::Text(
        421, "This device does not answer to the name \"" + shown +
                 "\". Open it by its address, or start it with --hostname=" + (shown.empty() ? "NAME" : shown) +
                 " to allow that name.\n");
    response.headers.emplace_back("Cache-Control", "no-store");
    return response;
}

}  // namespace

HttpResponse Gateway::Handle(const HttpRequest& request) {
    const std::string host = request.Header("host");
    if (!hosts_.Accepts(host)) return MisdirectedRequest(host);
    if (request.method != "GET" && request.method != "HEAD") {
        HttpResponse response = HttpResponse::Text(405, "Method not allowed\n");
        response.headers.emplace_back("Allow", "GET, HEAD");
        return response;
    }
    const std::string_view path = request.path;
    if (path == "/") return StartSession(request);
    if (StartsWith(path, kClientPrefix)) return ClientFile(request, path.substr(kClientPrefix.size()));
    if (StartsWith(path, kFilesPrefix)) return Download(path.substr(kFilesPrefix.size()));
    if (path == "/_cookie") return DeliverCookie(request);
    return HttpResponse::Text(404, "Not found\n");
}

HttpResponse Gateway::StartSession(const HttpRequest& request) {
    auto session = application_._CreateNewSession(request, session::RandomToken());
    if (!session || !application_.Sessions().Add(session)) return Html(503, BusyPage());
    return Html(200, StartPage(application_, *session));
}

HttpResponse Gateway::ClientFile(const HttpRequest& request, std::string_view name) {
    const auto& files = application_.ClientFiles();
    const auto found = files.find(name);
    if (found == files.end()) return HttpResponse::Text(404, "Not found\n");
    const auto& file = found->second;
    const bool gzip = !file.gzipBytes.empty() && request.AcceptsEncoding("gzip");
    // Each coding is its own representation, with its own validator.
    const std::string etag = gzip ? file.etag.substr(0, file.etag.size() - 1) + "-gz\"" : file.etag;
    HttpResponse response;
    response.headers.emplace_back("ETag", etag);
    response.headers.emplace_back("Vary", "Accept-Encoding");
    // The start page names each file with its version, and a version's bytes never change:
    // such an address is kept for a year without asking again. Any other is revalidated.
    const bool versioned = request.Query("v") == file.Version();
    response.headers.emplace_back("Cache-Control", versioned ? "public, max-age=31536000, immutable" : "no-cache");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    if (gzip) response.headers.emplace_back("Content-Encoding", "gzip");
    response.contentType = file.contentType;
    if (request.Header("if-none-match") == etag) {
        response.status = 304;
        return response;
    }
    // The bytes live in the binary for the process's life; one copy per response is small.
    response.body = std::make_shared<const std::string>(gzip ? file.gzipBytes : file.bytes);
    return response;
}

HttpResponse Gateway::Download(std::string_view rest) {
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) return HttpResponse::Text(404, "Not found\n");
    const auto file = WebFile::Find(std::string(rest.substr(0, slash)));
    if (!file || rest.substr(slash + 1) != file->Name()) return HttpResponse::Text(404, "Not found\n");
    HttpResponse response;
    response.stream = file->Body();
    response.headers.emplace_back("Cache-Control", "no-store");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    if (file->ForceDownload()) {
        response.contentType = "application/octet-stream";
        response.headers.emplace_back("Content-Disposition", "attachment; filename=" + QuotedFileName(file->Name()));
    } else {
        // Shown as plain text: a file's bytes never become a page of ours.
        response.contentType = "text/plain; charset=utf-8";
    }
    return response;
}

HttpResponse Gateway::DeliverCookie(const HttpRequest& request) {
    auto base = application_.Sessions().Find(request.Query("s"));
    auto* session = dynamic_cast<WebSession*>(base.get());
    HttpResponse response = HttpResponse::Text(204, "");
    response.headers.emplace_back("Cache-Control", "no-store");
    if (!session) return response;
    for (auto& header : session->Cookies().TakeHeaders(request.Query("t")))
        response.headers.emplace_back("Set-Cookie", std::move(header));
    return response;
}

bool Gateway::AcceptsChannel(const HttpRequest& request) {
    if (request.path != "/_ws" || !hosts_.Accepts(request.Header("host"))) return false;
    const std::string origin = Lower(request.Header("origin"));
    if (origin.empty()) return true;  // not a browser: nothing to forge on its behalf
    const auto scheme = origin.find("://");
    if (scheme == std::string::npos) return false;
    return origin.substr(scheme + 3) == Lower(request.Header("host"));
}

std::shared_ptr<http::ChannelListener> Gateway::OpenChannel(const HttpRequest& request,
                                                            std::shared_ptr<http::Channel> channel) {
    auto session = std::dynamic_pointer_cast<WebSession>(application_.Sessions().Find(request.Query("s")));
    if (!session) {
        channel->Send(R"({"t":"gone"})");
        channel->Close();
        return std::make_shared<GoneChannel>();
    }
    session->MarkAttached();
    auto attach = [session, channel] { session->Attach(channel); };
    // The first attach makes the page, which may read a whole log: it must not hold a
    // worker that other sessions' short events need.
    if (session->HasPage()) session->Post(std::move(attach));
    else session->PostLong(std::move(attach));
    return std::make_shared<SessionChannel>(session, channel);
}

}  // namespace platform
