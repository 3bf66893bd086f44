#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/render/Command.h"
#include "platform/render/Renderer.h"
#include "platform/runtime/RuntimeException.h"
#include "platform/session/SessionBase.h"
#include "platform/web/WebCookieManager.h"

namespace platform {

namespace http {
class Channel;
struct HttpRequest;
}  // namespace http
class WebApplication;
class WebControl;
class WebPage;
struct BrowserEvent;

// One browser's session: its pages, its controls by id, its cookies, and the channel
// to its browser. Everything here runs on the session's own queue (see SessionBase),
// so nothing in it is locked but the cookie headers that the HTTP threads take.
class WebSession : public session::SessionBase {
public:
    WebSession(const http::HttpRequest& request, std::string identifier);
    ~WebSession() override;

    // The session whose work this thread runs, or null.
    static WebSession* Current();

    WebApplication& Application() const { return application_; }
    WebCookieManager& Cookies() { return cookies_; }
    const std::string& LanguageCode() const { return languageCode_; }

    // The registry of pages.
    bool HasImplicitPage(std::string_view name) const;
    WebPage* Page(std::string_view name) const;
    void RemovePage(std::string_view name);
    WebPage& AddPage(std::unique_ptr<WebPage> page, bool implicitInstance);
    WebPage* CurrentPage() const { return currentPage_; }

    // A text shown by the framework, looked up by name; a name the session class does
    // not define is its own text.
    virtual std::string Text(std::string_view name) const { return std::string(name); }
    // Extra lines for the head of the start page.
    virtual std::string _GetAllWebControlWrapperHeaders() const { return {}; }
    // The session's own chance at an unhandled failure; true means handled.
    virtual bool Event_UnhandledException(const RuntimeException&) { return false; }

    // Offers a failure that escaped a handler to the session, then to the application;
    // if neither handles it, the browser shows the error dialog. The session goes on.
    void ReportUnhandled(std::exception_ptr error);

    // --- framework plumbing ---
    std::string RegisterControl(WebControl& control);
    void UnregisterControl(WebControl& control);
    WebControl* FindControl(const std::string& controlId) const;
    void NotePending(WebControl& control) { renderer_.Note(control); }
    void QueueCommand(render::Command command);
    // How many times the queued commands went to the browser: a command queued since the
    // count was read has not been sent yet.
    std::uint64_t Flushes() const { return flushes_; }

    // A browser channel arrived: show the default page (made and opened on first use),
    // send it whole, and on its first showing raise Shown.
    void Attach(std::shared_ptr<http::Channel> channel);
    // Whether a page has been made for the browser; any thread. Until then, attaching may
    // read a whole log, and goes to the pool for long work.
    bool HasPage() const { return hasPage_; }
    // While the page is being made for a waiting browser: tells it how far the work has
    // come, at most five times a second. Does nothing at any other time.
    void ReportProgress(std::uint64_t done, std::uint64_t total);
    // The channel went away; a newer channel of the same browser stays.
    void Detach(const std::shared_ptr<http::Channel>& channel);
    // One message from the browser: an event or an error report.
    void HandleMessage(std::string_view message);
    // Sends what the last handlers changed, as one batch.
    void Flush();
    // The style sheet of this session: the body rule, then the application's styles in order.
    std::string StyleSheet() const;

    std::size_t IgnoredEvents() const { return ignoredEvents_; }
    std::size_t UnhandledCount() const { return unhandledCount_; }

private:
    struct PageEntry {
        std::string name;
        std::unique_ptr<WebPage> page;
        bool implicitInstance = false;
    };
    void Send(std::string message);
    void ShowErrorDialog();
    // Whether a browser's error report may go to standard error now: a few a minute.
    bool TakeReportSlot();
    void DispatchEvent(const std::string& controlId, const BrowserEvent& event);

    WebApplication& application_;
    std::string languageCode_;
    WebCookieManager cookies_;
    render::Renderer renderer_;
    std::unordered_map<std::string, WebControl*> controls_;
    std::uint64_t lastControlNumber_ = 0;  // ids are never reused within a session
    std::uint64_t flushes_ = 0;
    std::vector<render::Command> commands_;
    std::shared_ptr<http::Channel> channel_;
    WebPage* currentPage_ = nullptr;
    bool shown_ = false;
    std::atomic<bool> hasPage_{false};
    bool opening_ = false;  // the page is being made while a browser waits for it
    std::chrono::steady_clock::time_point nextProgress_{};
    std::deque<std::chrono::steady_clock::time_point> reports_;  // those written in the last minute
    std::size_t ignoredEvents_ = 0;
    std::size_t unhandledCount_ = 0;
    std::vector<PageEntry> pages_;  // last member: pages and their controls go first
};

}  // namespace platform
