#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/runtime/ProcessRuntime.h"
#include "platform/runtime/RuntimeException.h"
#include "platform/web/ClientFiles.h"
#include "platform/web/WebStyle.h"

namespace platform {

namespace http {
struct HttpRequest;
}
namespace session {
class SessionRegistry;
class WorkerPool;
}  // namespace session
class WebControl;
class WebPage;
class WebSession;

// The root object of a web application: the server's settings, the start-up events,
// the sessions, and the framework's browser-side files. One per process.
class WebApplication {
public:
    WebApplication();
    virtual ~WebApplication();
    WebApplication(const WebApplication&) = delete;
    WebApplication& operator=(const WebApplication&) = delete;

    // The process's application; throws NilObjectException when there is none.
    static WebApplication& Instance();

    // Server settings, written by the subclass's constructor.
    int Port = 8080;
    int SSLPort = 443;
    int Mode = 1;  // 1: the built-in server; 0 (a CGI gateway) is not offered here
    std::string LaunchMessage = "Launching...";
    std::string HTMLHeader;
    std::string DisconnectMessage = "The connection to the application was lost.";

    // Version data.
    int MajorVersion = 0, MinorVersion = 0, BugVersion = 0, NonReleaseVersion = 0, StageCode = 0;
    std::string ShortVersion, LongVersion, PackageInfo;

    // The browser-side files, by name; filled at construction.
    ClientFileTable& ClientFiles() { return clientFiles_; }
    const ClientFileTable& ClientFiles() const { return clientFiles_; }

    // Operations a subclass replaces.
    virtual std::string ApplicationIdentifier() const { return "com.example.webapp"; }
    // Where the secure listener's certificate.pem and key.pem are looked for at start-up;
    // an absolute path, resolved under --root like every other.
    virtual std::string CertificateFolder() const { return "/etc/" + ApplicationIdentifier() + "/tls"; }
    virtual WebPage* DefaultPage() { return nullptr; }
    virtual std::shared_ptr<WebSession> _CreateNewSession(const http::HttpRequest& request,
                                                          const std::string& identifier);
    virtual const std::vector<std::shared_ptr<WebStyle>>& _Styles();
    // The style sheet of every session, rendered once from _Styles before any session can
    // ask: the styles make their values on first request, and two sessions' first paints
    // must never do that at once. Any thread.
    const std::string& StyleSheet();

    // Events.
    virtual void Event_Open(const std::vector<std::string>& /*arguments*/) {}
    // True when handled; otherwise the browser of the session shows the error dialog.
    virtual bool Event_UnhandledException(const RuntimeException&) { return false; }

    // Session lookups. The pointers stay valid while the caller holds no expectation past
    // the session's life; within a session's own work its session is always alive.
    int SessionCount() const;
    WebSession* SessionAtIndex(int index) const;
    WebSession* SessionForControlID(const std::string& controlId) const;
    WebSession* SessionWithIdentifier(const std::string& identifier) const;

    // Process control.
    bool Daemonize() { return runtime_->Daemonize(); }
    // Ends the process's run with the status: before the server listens, the run
    // returns it; while serving, the server stops and the run returns it.
    void Quit(int status = 0);
    bool QuitRequested() const { return quitRequested_; }
    int ExitStatus() const { return exitStatus_; }
    void SetRuntime(std::unique_ptr<ProcessRuntime> runtime) { runtime_ = std::move(runtime); }
    ProcessRuntime& Runtime() { return *runtime_; }

    // Threads and sessions. Started by the run after Open (threads do not survive the
    // daemon's fork), or by a test harness.
    struct ServiceSettings {
        unsigned workerThreads = 8;
        // Threads that open pages (each may read a whole log): one per core; more opens wait.
        unsigned longWorkThreads = std::max(1u, std::thread::hardware_concurrency());
        std::size_t sessionCapacity = 200;
        std::chrono::steady_clock::duration sessionGrace = std::chrono::seconds(60);
    };
    void StartServices(const ServiceSettings& settings);
    void StopServices();
    session::WorkerPool& Pool();
    session::WorkerPool& LongPool();
    session::SessionRegistry& Sessions();

    // Serves until the process is stopped; returns the exit status.
    int Run(int argc, char** argv);

    // Called by the server when Quit asks it to stop.
    void SetStopper(std::function<void()> stop) { stopper_ = std::move(stop); }

private:
    ClientFileTable clientFiles_;
    std::unique_ptr<ProcessRuntime> runtime_ = std::make_unique<ProcessRuntime>();
    std::unique_ptr<session::WorkerPool> pool_;
    std::unique_ptr<session::WorkerPool> longPool_;
    std::unique_ptr<session::SessionRegistry> sessions_;
    std::once_flag defaultStylesOnce_;
    std::once_flag styleSheetOnce_;
    std::string styleSheet_;
    std::vector<std::shared_ptr<WebStyle>> defaultStyles_;
    std::function<void()> stopper_;
    bool quitRequested_ = false;
    int exitStatus_ = 0;
};

}  // namespace platform
