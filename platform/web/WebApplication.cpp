#include "platform/web/WebApplication.h"

#include <atomic>

#include "platform/session/SessionRegistry.h"
#include "platform/session/WorkerPool.h"
#include "platform/render/StyleSheet.h"
#include "platform/web/WebControl.h"
#include "platform/web/WebSession.h"

namespace platform {
namespace {
std::atomic<WebApplication*> instance{nullptr};
}

WebApplication::WebApplication() { instance = this; }

WebApplication::~WebApplication() {
    StopServices();
    WebApplication* self = this;
    instance.compare_exchange_strong(self, nullptr);
}

WebApplication& WebApplication::Instance() {
    WebApplication* app = instance;
    if (!app) throw NilObjectException("no application");
    return *app;
}

std::shared_ptr<WebSession> WebApplication::_CreateNewSession(const http::HttpRequest& request,
                                                              const std::string& identifier) {
    return std::make_shared<WebSession>(request, identifier);
}

const std::vector<std::shared_ptr<WebStyle>>& WebApplication::_Styles() {
    std::call_once(defaultStylesOnce_, [this] { defaultStyles_.push_back(WebStyle::Default()); });
    return defaultStyles_;
}

void WebApplication::Quit(int status) {
    quitRequested_ = true;
    exitStatus_ = status;
    if (stopper_) stopper_();
}

const std::string& WebApplication::StyleSheet() {
    std::call_once(styleSheetOnce_, [this] { styleSheet_ = render::RenderStyleSheet(_Styles()); });
    return styleSheet_;
}

void WebApplication::StartServices(const ServiceSettings& settings) {
    StyleSheet();  // before the first session
    pool_ = std::make_unique<session::WorkerPool>(settings.workerThreads);
    longPool_ = std::make_unique<session::WorkerPool>(settings.longWorkThreads);
    sessions_ = std::make_unique<session::SessionRegistry>(settings.sessionCapacity, settings.sessionGrace);
}

void WebApplication::StopServices() {
    // Sessions first: their last tasks run on the pool, which finishes them as it stops.
    // A queue runs wholly on the pool it started on, so neither pool posts to the other.
    if (sessions_) sessions_->EndAll();
    longPool_.reset();
    pool_.reset();
    sessions_.reset();
}

session::WorkerPool& WebApplication::Pool() {
    if (!pool_) throw UnsupportedOperationException("the application's services are not started");
    return *pool_;
}

session::WorkerPool& WebApplication::LongPool() {
    if (!longPool_) throw UnsupportedOperationException("the application's services are not started");
    return *longPool_;
}

session::SessionRegistry& WebApplication::Sessions() {
    if (!sessions_) throw UnsupportedOperationException("the application's services are not started");
    return *sessions_;
}

int WebApplication::SessionCount() const { return sessions_ ? static_cast<int>(sessions_->Count()) : 0; }

WebSession* WebApplication::SessionAtIndex(int index) const {
    if (!sessions_) return nullptr;
    const auto all = sessions_->All();
    if (index < 0 || index >= static_cast<int>(all.size())) return nullptr;
    return dynamic_cast<WebSession*>(all[static_cast<std::size_t>(index)].get());
}

WebSession* WebApplication::SessionForControlID(const std::string& controlId) const {
    // A session's controls are only read on its own thread, so only the current session
    // can answer; control identifiers are unique in the process, so a match is the one.
    WebSession* current = WebSession::Current();
    return current && current->FindControl(controlId) ? current : nullptr;
}

WebSession* WebApplication::SessionWithIdentifier(const std::string& identifier) const {
    if (!sessions_) return nullptr;
    return dynamic_cast<WebSession*>(sessions_->Find(identifier).get());
}

}  // namespace platform
