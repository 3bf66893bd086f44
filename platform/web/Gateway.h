#pragma once
#include "platform/http/HttpTypes.h"
#include "platform/web/HostNames.h"

namespace platform {

class WebApplication;

// The application side of the HTTP server: the start page that opens a session, the
// embedded client files, downloads, cookie deliveries, and the WebSocket channels that
// carry each session's events and changes. Paths are matched against fixed routes and
// tables only; nothing is ever read from a path that a request names. A request whose
// Host is not one of the device's names is refused whatever it asks for.
class Gateway : public http::RequestHandler {
public:
    explicit Gateway(WebApplication& application, HostNames hosts = HostNames())
        : application_(application), hosts_(std::move(hosts)) {}

    http::HttpResponse Handle(const http::HttpRequest& request) override;
    bool AcceptsChannel(const http::HttpRequest& request) override;
    std::shared_ptr<http::ChannelListener> OpenChannel(const http::HttpRequest& request,
                                                       std::shared_ptr<http::Channel> channel) override;

private:
    http::HttpResponse StartSession(const http::HttpRequest& request);
    http::HttpResponse ClientFile(const http::HttpRequest& request, std::string_view name);
    http::HttpResponse Download(std::string_view rest);
    http::HttpResponse DeliverCookie(const http::HttpRequest& request);

    WebApplication& application_;
    HostNames hosts_;
};

}  // namespace platform
