#include "platform/web/ServerOptions.h"

#include <charconv>

namespace platform {
namespace {

int ParsePort(const std::string& option, const std::string& value) {
    int port = 0;
    const auto* end = value.data() + value.size();
    const auto [rest, ec] = std::from_chars(value.data(), end, port);
    if (value.empty() || ec != std::errc() || rest != end || port < 1 || port > 65535)
        throw OptionError("invalid port in " + option + " (a number from 1 to 65535 is needed)");
    return port;
}

}  // namespace

ServerOptions ServerOptions::Parse(const std::vector<std::string>& arguments) {
    ServerOptions options;
    for (const auto& argument : arguments) {
        if (argument.rfind("--", 0) != 0) {
            options.arguments.push_back(argument);
            continue;
        }
        const auto equals = argument.find('=');
        const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const bool hasValue = equals != std::string::npos;
        const std::string value = hasValue ? argument.substr(equals + 1) : std::string();
        if (name == "port" && hasValue) {
            options.port = ParsePort(argument, value);
        } else if (name == "secureport" && hasValue) {
            options.securePort = ParsePort(argument, value);
        } else if (name == "root" && hasValue && !value.empty()) {
            options.root = value;
        } else if (name == "hostname" && hasValue && !value.empty()) {
            options.hostnames.push_back(value);
        } else if (name == "foreground" && !hasValue) {
            options.foreground = true;
        } else if (name == "help" && !hasValue) {
            options.help = true;
        } else {
            throw OptionError("unknown or malformed option " + argument);
        }
    }
    return options;
}

std::string ServerOptions::Usage(const std::string& program, const std::string& certificateFolder) {
    return "Usage: " + program +
           " [--port=N] [--secureport=N] [--hostname=NAME]... [--foreground] [--root=DIR] [--help]\n"
           "  --port=N        serve HTTP on port N (default 10001)\n"
           "  --secureport=N  port of the TLS listener (default 443), opened only when a certificate\n"
           "                  is found: " + certificateFolder + "/certificate.pem and key.pem\n"
           "  --hostname=NAME also answer to this name (repeatable); the device always answers to\n"
           "                  its addresses, localhost, its host name and that name with .local\n"
           "  --foreground    stay attached to the terminal (for service managers and tests)\n"
           "  --root=DIR      read absolute paths under DIR, so /mnt/pen is DIR/mnt/pen (demo, tests)\n"
           "  --help          show this text\n";
}

}  // namespace platform
