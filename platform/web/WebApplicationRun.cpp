#include <cstdio>
#include <string>
#include <vector>

#include "platform/http/HttpServer.h"
#include "platform/runtime/FolderItem.h"
#include "platform/runtime/Memory.h"
#include "platform/runtime/WorkingFolder.h"
#include "platform/session/SessionRegistry.h"
#include "platform/web/Gateway.h"
#include "platform/web/ServerOptions.h"
#include "platform/web/WebApplication.h"

namespace platform {
namespace {

std::string ProgramName(int argc, char** argv) {
    std::string name = argc > 0 && argv[0] ? argv[0] : "server";
    const auto slash = name.find_last_of('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// A refusal before serving: on standard error, with the program's name.
int Refuse(const std::string& program, const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), reason.c_str());
    std::fflush(stderr);
    return 1;
}

}  // namespace

int WebApplication::Run(int argc, char** argv) {
    IgnoreBrokenPipes();
    const std::string program = ProgramName(argc, argv);
    ServerOptions options;
    try {
        options = ServerOptions::Parse(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    } catch (const OptionError& e) {
        Refuse(program, e.what());
        std::fputs(ServerOptions::Usage(program, CertificateFolder()).c_str(), stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(ServerOptions::Usage(program, CertificateFolder()).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s %s\n", program.c_str(), ShortVersion.c_str());
        return 0;
    }
    if (options.port) Port = *options.port;
    if (options.securePort) SSLPort = *options.securePort;
    if (!options.root.empty()) SetFileSystemRoot(options.root);
    runtime_->SetForeground(options.foreground);

    std::string workingFolder;
    try {
        workingFolder = PrepareWorkingFolder(ApplicationIdentifier() + "_" + std::to_string(Port));
    } catch (const RuntimeException& e) {
        return Refuse(program, e.what());
    }

    // The port is claimed before Open so that a port in use is told while the terminal
    // is still attached; connections wait until Listen.
    Gateway gateway(*this, HostNames(options.hostnames));
    http::HttpServer server(gateway);
    try {
        server.Bind(static_cast<std::uint16_t>(Port), options.address);
    } catch (const std::exception& e) {
        return Refuse(program, e.what());
    }
    // The secure listener opens when a certificate is there; half of a pair, or a pair that
    // cannot be used, is refused like a port in use, before anything listens.
    const FolderItem tls(CertificateFolder());
    const FolderItem certificate = tls.Child("certificate.pem"), key = tls.Child("key.pem");
    if (certificate.Exists() || key.Exists()) {
        try {
            server.BindSecure(static_cast<std::uint16_t>(SSLPort), certificate.NativePath(), key.NativePath(),
                              options.address);
        } catch (const std::exception& e) {
            return Refuse(program, e.what());
        }
    }

    Event_Open(options.arguments);
    if (quitRequested_) return exitStatus_;

    try {
        WritePidFile(workingFolder);
    } catch (const RuntimeException& e) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), e.what());
    }
    TuneMemoryForServer();
    StartServices(ServiceSettings{});
    Sessions().StartSweeping(std::chrono::seconds(5));
    SetStopper([&server] { server.Stop(); });
    server.StopOnTerminationSignals();
    try {
        server.Listen();
    } catch (const std::exception& e) {
        return Refuse(program, e.what());
    }
    server.Run(2);
    // Stopped (a signal, or Quit): no more connections are served; the sessions end and the
    // pid file goes, so that nothing of this run is left behind.
    SetStopper(nullptr);
    StopServices();
    RemovePidFile(workingFolder);
    return exitStatus_;
}

}  // namespace platform
