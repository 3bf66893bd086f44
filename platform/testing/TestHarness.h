#pragma once
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/http/Channel.h"
#include "platform/http/HttpTypes.h"
#include "platform/session/SessionBase.h"
#include "platform/web/WebApplication.h"
#include "platform/web/WebSession.h"

namespace platform::testing {

// A browser's channel that keeps what the server sent.
class RecordingChannel : public http::Channel {
public:
    void Send(std::string message) override;
    void Close() override;
    std::vector<std::string> Messages() const;
    std::vector<std::string> TakeMessages();
    bool Closed() const;
    // Waits until a message holding `text` has come, up to timeout; true if one did.
    bool WaitFor(std::string_view text, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex mutex_;  // guards messages_ and closed_; leaf lock
    mutable std::condition_variable arrived_;
    std::vector<std::string> messages_;
    bool closed_ = false;
};

// Drives an application in process, as browsers would, without a socket: opens sessions
// through the same gateway code as the start page, attaches channels, raises events by
// control name and reads back control state and the messages sent.
class TestHarness {
public:
    explicit TestHarness(WebApplication& app) : TestHarness(app, Settings(4, 200)) {}
    TestHarness(WebApplication& app, WebApplication::ServiceSettings settings);
    static WebApplication::ServiceSettings Settings(unsigned workerThreads, std::size_t capacity) {
        WebApplication::ServiceSettings settings;
        settings.workerThreads = workerThreads;
        settings.sessionCapacity = capacity;
        return settings;
    }
    ~TestHarness();

    // A new browser's first request: the session as the start page makes it.
    std::shared_ptr<WebSession> NewSession(const std::string& cookieHeader = "",
                                           const std::string& acceptLanguage = "");
    // The browser loaded the start page and opened its channel: the page is made, painted
    // and shown, on this thread with the session current.
    std::shared_ptr<RecordingChannel> Connect(WebSession& session);
    // A browser's channel as it arrives over the network: through the gateway, its work
    // on the application's pools. The listener hears what the browser sends.
    struct LiveChannel {
        std::shared_ptr<RecordingChannel> channel;
        std::shared_ptr<http::ChannelListener> listener;
    };
    LiveChannel ConnectLive(WebSession& session);
    // A browser event by the control's name on the session's page; value as JSON text.
    void Raise(WebSession& session, const std::string& controlName, const std::string& event,
               const std::string& jsonValue = "");
    // Raw message from the browser.
    void Message(WebSession& session, const std::string& message);

    // Runs f with the session current, on this thread.
    template <class F>
    decltype(auto) Within(WebSession& session, F&& f) {
        session::CurrentSessionScope scope(&session);
        return f();
    }

    // The control of that name in the session's current page (depth first), or null.
    static WebControl* Find(WebSession& session, const std::string& name);

    // The HTTP side, for start pages, files and cookie deliveries.
    http::HttpResponse Get(const std::string& path, const std::map<std::string, std::string>& query = {},
                           const std::map<std::string, std::string>& headers = {});

    // A response's whole body, read from its stream when it has one; it stops where the
    // stream breaks off, as a browser's download would.
    static std::string BodyOf(const http::HttpResponse& response);

private:
    WebApplication& app_;
    std::unique_ptr<http::RequestHandler> gateway_;
};

}  // namespace platform::testing
