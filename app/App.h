#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/web/WebApplication.h"
#include "platform/web/WebFile.h"

class Session;
namespace platform {
class WebControl;
}

// The application: the web server's settings, start-up as a daemon, the report of
// failures nothing else handled, a Session per browser, and the one log file that all
// sessions download.
class App : public platform::WebApplication {
public:
    App();

    // The log published for download; the page that opened last wins. Atomic because
    // every session's thread reads and writes it.
    std::atomic<std::shared_ptr<platform::WebFile>> webFile;

    std::string ApplicationIdentifier() const override { return "com.kvr.brixlogviewer"; }
    std::string CertificateFolder() const override { return "/etc/brix-log-viewer/tls"; }
    platform::WebPage* DefaultPage() override;
    std::shared_ptr<platform::WebSession> _CreateNewSession(const platform::http::HttpRequest& request,
                                                            const std::string& identifier) override;
    const std::vector<std::shared_ptr<platform::WebStyle>>& _Styles() override;

    Session* SessionAtIndex(int index) const;
    Session* SessionForControl(const platform::WebControl& control) const;
    Session* SessionForControlID(const std::string& controlId) const;
    Session* SessionWithIdentifier(const std::string& identifier) const;

    void Event_Open(const std::vector<std::string>& arguments) override;
    bool Event_UnhandledException(const platform::RuntimeException& error) override;

private:
    std::once_flag stylesOnce_;
    std::vector<std::shared_ptr<platform::WebStyle>> styles_;
};

// Stores the version data on the application, as the start-up does right after construction.
void StoreVersionData(App& app);
