#include "platform/testing/TestHarness.h"

#include <algorithm>

#include "platform/render/Json.h"
#include "platform/session/SessionRegistry.h"
#include "platform/web/Gateway.h"
#include "platform/web/WebControl.h"
#include "platform/web/WebPage.h"

namespace platform::testing {

void RecordingChannel::Send(std::string message) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(std::move(message));
    }
    arrived_.notify_all();
}

bool RecordingChannel::WaitFor(std::string_view text, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] {
        return std::any_of(messages_.begin(), messages_.end(),
                           [&](const std::string& m) { return m.find(text) != std::string::npos; });
    });
}

void RecordingChannel::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
}

std::vector<std::string> RecordingChannel::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> RecordingChannel::TakeMessages() {
    std::lock_guard lock(mutex_);
    return std::exchange(messages_, {});
}

bool RecordingChannel::Closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

TestHarness::TestHarness(WebApplication& app, WebApplication::ServiceSettings settings)
    : app_(app), gateway_(std::make_unique<Gateway>(app)) {
    app_.StartServices(settings);
}

TestHarness::~TestHarness() { app_.StopServices(); }

http::HttpResponse TestHarness::Get(const std::string& path, const std::map<std::string, std::string>& query,
                                    const std::map<std::string, std::string>& headers) {
    http::HttpRequest request;
    request.method = "GET";
    request.path = path;
    request.query = query;
    request.headers = headers;
    request.headers.emplace("host", "localhost");  // as a browser on the device would send; unless given
    return gateway_->Handle(request);
}

std::shared_ptr<WebSession> TestHarness::NewSession(const std::string& cookieHeader,
                                                    const std::string& acceptLanguage) {
    std::map<std::string, std::string> headers;
    if (!cookieHeader.empty()) headers["cookie"] = cookieHeader;
    if (!acceptLanguage.empty()) headers["accept-language"] = acceptLanguage;
    const auto response = Get("/", {}, headers);
    if (response.status != 200) return nullptr;
    // The start page names its session.
    constexpr std::string_view marker = "data-session=\"";
    const std::string& page = *response.body;
    const auto start = page.find(marker);
    if (start == std::string::npos) return nullptr;
    const auto id = page.substr(start + marker.size(), page.find('"', start + marker.size()) - start - marker.size());
    return std::dynamic_pointer_cast<WebSession>(app_.Sessions().Find(id));
}

std::shared_ptr<RecordingChannel> TestHarness::Connect(WebSession& session) {
    auto channel = std::make_shared<RecordingChannel>();
    session.MarkAttached();
    Within(session, [&] { session.Attach(channel); });
    return channel;
}

TestHarness::LiveChannel TestHarness::ConnectLive(WebSession& session) {
    http::HttpRequest request;
    request.method = "GET";
    request.path = "/_ws";
    request.query["s"] = session.Identifier();
    request.headers["host"] = "localhost";
    LiveChannel live{std::make_shared<RecordingChannel>(), nullptr};
    live.listener = gateway_->OpenChannel(request, live.channel);
    return live;
}

void TestHarness::Raise(WebSession& session, const std::string& controlName, const std::string& event,
                        const std::string& jsonValue) {
    WebControl* control = Find(session, controlName);
    render::Json message{{"t", "event"}, {"id", control ? control->ControlID() : std::string("none")}, {"name", event}};
    if (!jsonValue.empty()) message["value"] = render::Json::parse(jsonValue);
    Message(session, message.dump());
}

void TestHarness::Message(WebSession& session, const std::string& message) {
    Within(session, [&] { session.HandleMessage(message); });
}

std::string TestHarness::BodyOf(const http::HttpResponse& response) {
    if (!response.stream) return *response.body;
    std::string body;
    char chunk[4096];
    while (body.size() < response.stream->Size()) {
        const std::size_t n = response.stream->ReadAt(body.size(), chunk);
        if (n == 0) break;
        body.append(chunk, n);
    }
    return body;
}

namespace {
WebControl* FindIn(WebControl& control, const std::string& name) {
    if (control.Name() == name) return &control;
    for (WebControl* child : control.Children())
        if (WebControl* found = FindIn(*child, name)) return found;
    return nullptr;
}
}  // namespace

WebControl* TestHarness::Find(WebSession& session, const std::string& name) {
    WebPage* page = session.CurrentPage();
    return page ? FindIn(*page, name) : nullptr;
}

}  // namespace platform::testing
