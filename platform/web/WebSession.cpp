#include "platform/web/WebSession.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/http/Channel.h"
#include "platform/http/HttpTypes.h"
#include "platform/render/Json.h"
#include "platform/web/WebApplication.h"
#include "platform/web/Progress.h"
#include "platform/web/WebPage.h"

namespace platform {
namespace {

constexpr std::size_t kMaxQueuedCommands = 1000;

// "de-CH,de;q=0.9" -> "de-CH"
std::string FirstLanguage(const std::string& acceptLanguage) {
    const auto end = acceptLanguage.find_first_of(",; ");
    return acceptLanguage.substr(0, end);
}

// A message's text field, or empty when it is missing or not a text: a browser's message
// is untrusted, and a wrong type must be ignored, never thrown.
std::string TextField(const render::Json& message, const char* key) {
    const auto found = message.find(key);
    return found != message.end() && found->is_string() ? found->get<std::string>() : std::string();
}

constexpr std::size_t kReportBytes = 2048;
constexpr std::size_t kReportsPerMinute = 3;

// A browser's text as one harmless line for a log: cut short, and every control character
// (terminal escapes, line ends, C1 controls in UTF-8) written as \xNN.
std::string Printable(std::string_view text) {
    const bool cut = text.size() > kReportBytes;
    text = text.substr(0, kReportBytes);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        const bool c1 = u == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if (u < 0x20 || u == 0x7F || c1) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c1 ? static_cast<unsigned char>(text[++i]) : u);
            out += escaped;
        } else {
            out += text[i];
        }
    }
    return cut ? out + " [cut]" : out;
}

RuntimeException AsRuntimeException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeException& e) {
        return e;
    } catch (const std::exception& e) {
        return RuntimeException(e.what());
    } catch (...) {
        return RuntimeException("unknown failure");
    }
}

}  // namespace

WebSession::WebSession(const http::HttpRequest& request, std::string identifier)
    : SessionBase(std::move(identifier), WebApplication::Instance().Pool(), WebApplication::Instance().LongPool()),
      application_(WebApplication::Instance()),
      languageCode_(FirstLanguage(request.Header("accept-language"))),
      cookies_(*this, request.Header("cookie")) {}

WebSession::~WebSession() {
    // Pages go before the registries their controls unregister from.
    pages_.clear();
}

WebSession* WebSession::Current() { return dynamic_cast<WebSession*>(session::CurrentSessionBase()); }

bool WebSession::HasImplicitPage(std::string_view name) const {
    return std::any_of(pages_.begin(), pages_.end(),
                       [&](const PageEntry& e) { return e.name == name && e.implicitInstance; });
}

WebPage* WebSession::Page(std::string_view name) const {
    const auto found = std::find_if(pages_.begin(), pages_.end(), [&](const PageEntry& e) { return e.name == name; });
    return found == pages_.end() ? nullptr : found->page.get();
}

void WebSession::RemovePage(std::string_view name) {
    const auto found = std::find_if(pages_.begin(), pages_.end(), [&](const PageEntry& e) { return e.name == name; });
    if (found == pages_.end()) return;
    if (currentPage_ == found->page.get()) currentPage_ = nullptr;
    auto removed = std::move(found->page);
    pages_.erase(found);
}

WebPage& WebSession::AddPage(std::unique_ptr<WebPage> page, bool implicitInstance) {
    std::string name = page->Name();
    pages_.push_back(PageEntry{std::move(name), std::move(page), implicitInstance});
    return *pages_.back().page;
}

std::string WebSession::RegisterControl(WebControl& control) {
    // Unique within the session: a browser only ever names controls of its own session, and a
    // page made later never takes an identifier that an older page's script may still send.
    std::string id = "c" + std::to_string(++lastControlNumber_);
    controls_.emplace(id, &control);
    return id;
}

void WebSession::UnregisterControl(WebControl& control) {
    controls_.erase(control.ControlID());
    renderer_.Forget(control);
    if (currentPage_ == &control) currentPage_ = nullptr;
}

WebControl* WebSession::FindControl(const std::string& controlId) const {
    const auto found = controls_.find(controlId);
    return found == controls_.end() ? nullptr : found->second;
}

void WebSession::QueueCommand(render::Command command) {
    if (commands_.size() < kMaxQueuedCommands) commands_.push_back(std::move(command));
}

void WebSession::ReportUnhandled(std::exception_ptr error) {
    ++unhandledCount_;
    const RuntimeException failure = AsRuntimeException(error);
    if (Event_UnhandledException(failure)) return;
    if (application_.Event_UnhandledException(failure)) return;
    ShowErrorDialog();
}

void WebSession::Attach(std::shared_ptr<http::Channel> channel) {
    channel_ = std::move(channel);
    if (!currentPage_) {
        opening_ = true;
        try {
            currentPage_ = application_.DefaultPage();
        } catch (...) {
            ReportUnhandled(std::current_exception());
        }
        opening_ = false;
        hasPage_ = currentPage_ != nullptr;
    }
    std::vector<render::Command> commands;
    commands.swap(commands_);
    if (!currentPage_) {
        Send(render::DumpJson(render::Json{{"t", "nopage"}}));
        commands_ = std::move(commands);
        Flush();
        return;
    }
    Send(renderer_.Paint(*currentPage_, StyleSheet(), std::move(commands)));
    if (!shown_) {
        shown_ = true;
        try {
            currentPage_->Shown.Raise();
        } catch (...) {
            ReportUnhandled(std::current_exception());
        }
    }
    Flush();
}

void WebSession::ReportProgress(std::uint64_t done, std::uint64_t total) {
    if (!opening_ || !channel_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextProgress_) return;
    nextProgress_ = now + std::chrono::milliseconds(200);
    Send(render::DumpJson(render::Json{{"t", "progress"}, {"done", done}, {"total", total}}));
}

void ReportProgress(std::uint64_t done, std::uint64_t total) {
    if (WebSession* session = WebSession::Current()) session->ReportProgress(done, total);
}

void WebSession::Detach(const std::shared_ptr<http::Channel>& channel) {
    if (channel_ == channel) channel_.reset();
}

void WebSession::Send(std::string message) {
    if (channel_) channel_->Send(std::move(message));
}

void WebSession::Flush() {
    if (!channel_) return;  // kept for the browser's return: it gets the page whole then
    ++flushes_;
    // Rendering may read (a list's rows from a file) and fail; the failure's report is
    // queued meanwhile and goes in a batch of its own right after.
    for (int batch = 0; batch < 2 && (batch == 0 || !commands_.empty()); ++batch) {
        std::vector<render::Command> commands;
        commands.swap(commands_);
        if (auto message = renderer_.Collect(std::move(commands))) Send(std::move(*message));
    }
}

void WebSession::HandleMessage(std::string_view text) {
    const render::Json message = render::Json::parse(text, nullptr, false);
    if (!message.is_object()) {
        ++ignoredEvents_;
        return;
    }
    const std::string kind = TextField(message, "t");
    if (kind == "event") {
        BrowserEvent event;
        event.name = TextField(message, "name");
        const auto value = message.find("value");
        if (value != message.end()) {
            if (value->is_boolean()) event.flag = value->get<bool>();
            else if (value->is_number_integer()) event.number = value->get<long long>();
        }
        DispatchEvent(TextField(message, "id"), event);
    } else if (kind == "report") {
        if (TakeReportSlot()) {
            std::fprintf(stderr, "Error report from a browser: %s\n", Printable(TextField(message, "text")).c_str());
            std::fflush(stderr);
        } else {
            ++ignoredEvents_;
        }
        QueueCommand({"thanks", {Text("ErrorThankYou"), Text("ErrorThankYouMessage")}});
        Flush();
    } else if (kind == "scripterror") {
        ShowErrorDialog();
        Flush();
    } else {
        ++ignoredEvents_;
    }
}

bool WebSession::TakeReportSlot() {
    const auto now = std::chrono::steady_clock::now();
    while (!reports_.empty() && now - reports_.front() > std::chrono::minutes(1)) reports_.pop_front();
    if (reports_.size() >= kReportsPerMinute) return false;
    reports_.push_back(now);
    return true;
}

void WebSession::ShowErrorDialog() {
    QueueCommand({"error",
                  {Text("ErrorDialogMessage"), Text("ErrorDialogQuestion"), Text("ErrorDialogSubmit"),
                   Text("ErrorDialogCancel")}});
}

void WebSession::DispatchEvent(const std::string& controlId, const BrowserEvent& event) {
    WebControl* control = FindControl(controlId);
    // Only controls of the page on show, visible and enabled, take events from a browser;
    // a disabled one may still be scrolled.
    bool onPage = false;
    for (const WebControl* c = control; c; c = c->Parent())
        if (c == currentPage_) onPage = true;
    if (!control || !onPage || (!control->AcceptsEvents() && !control->IsViewRequest(event))) {
        ++ignoredEvents_;
        return;
    }
    try {
        control->HandleBrowserEvent(event);
    } catch (...) {
        ReportUnhandled(std::current_exception());
    }
    Flush();
}

std::string WebSession::StyleSheet() const { return application_.StyleSheet(); }

}  // namespace platform
