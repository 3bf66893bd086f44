#include "app/App.h"

#include <cstdlib>

#include "app/Current.h"
#include "app/Session.h"
#include "logview/csCentreText.h"
#include "logview/csRightAlign.h"
#include "logview/pgLog.h"
#include "platform/runtime/Print.h"
#include "platform/web/WebControl.h"

App::App() {
    Port = 10001;
    SSLPort = 443;
    Mode = 1;
    LaunchMessage = "Launching...";
    HTMLHeader = "";
    DisconnectMessage = "The application has gone off-line. Please try again later.";
    ClientFiles() = platform::EmbeddedClientFiles();
}

void StoreVersionData(App& app) {
    app.MajorVersion = 1;
    app.MinorVersion = 0;
    app.BugVersion = 0;
    app.NonReleaseVersion = 13;
    app.StageCode = 0;
    app.ShortVersion = "1.0.0.12";
    app.LongVersion = "";
    app.PackageInfo = "";
}

platform::WebPage* App::DefaultPage() {
    ::Session* session = current::Session();
    if (!session) return nullptr;
    return &session->pgLog();
}

std::shared_ptr<platform::WebSession> App::_CreateNewSession(const platform::http::HttpRequest& request,
                                                             const std::string& identifier) {
    return Session::_Create(request, identifier);
}

const std::vector<std::shared_ptr<platform::WebStyle>>& App::_Styles() {
    // Built once even when several sessions ask at the same moment; only read afterwards.
    std::call_once(stylesOnce_, [this] {
        styles_.push_back(std::make_shared<platform::WebStyle>("_DefaultStyle"));
        styles_.push_back(std::make_shared<csRightAlign>());
        styles_.push_back(std::make_shared<csCentreText>());
    });
    return styles_;
}

Session* App::SessionAtIndex(int index) const { return dynamic_cast<Session*>(WebApplication::SessionAtIndex(index)); }

Session* App::SessionForControl(const platform::WebControl& control) const {
    return SessionForControlID(control.ControlID());
}

Session* App::SessionForControlID(const std::string& controlId) const {
    return dynamic_cast<Session*>(WebApplication::SessionForControlID(controlId));
}

Session* App::SessionWithIdentifier(const std::string& identifier) const {
    return dynamic_cast<Session*>(WebApplication::SessionWithIdentifier(identifier));
}

void App::Event_Open(const std::vector<std::string>& /*arguments*/) {
    platform::Print("Launching Brix Log Viewer.");
    if (!Daemonize()) {
        platform::Print("Unable To Daemonize app.");
        // A failed start must not look like success to the service manager.
        Quit(EXIT_FAILURE);
    }
}

bool App::Event_UnhandledException(const platform::RuntimeException& /*error*/) {
    platform::Print("Unhandled Exception");
    return false;
}
