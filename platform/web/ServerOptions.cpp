#include "platform/web/ServerOptions.h"

#include <arpa/inet.h>

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

// An IPv4 or IPv6 literal; IPv6 may come in brackets, as in an address bar.
std::string ParseAddress(const std::string& option, std::string value) {
    if (value.size() > 2 && value.front() == '[' && value.back() == ']') value = value.substr(1, value.size() - 2);
    unsigned char bytes[16];
    if (::inet_pton(AF_INET, value.c_str(), bytes) != 1 && ::inet_pton(AF_INET6, value.c_str(), bytes) != 1)
        throw OptionError("invalid address in " + option + " (an IPv4 or IPv6 address is needed)");
    return value;
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
        } else if (name == "address" && hasValue) {
            options.address = ParseAddress(argument, value);
        } else if (name == "help" && !hasValue) {
            options.help = true;
        } else if (name == "version" && !hasValue) {
            options.version = true;
        } else {
            throw OptionError("unknown or malformed option " + argument);
        }
    }
    return options;
}

std::string ServerOptions::Usage(const std::string& program, const std::string& certificateFolder) {
    return "Usage: " + program +
           " [--port=N] [--secureport=N] [--address=IP] [--hostname=NAME]... [--foreground]\n"
           "       [--root=DIR] [--help] [--version]\n"
           "  --port=N        serve HTTP on port N (default 10001)\n"
           "  --secureport=N  port of the TLS listener (default 443), opened only when a certificate\n"
           "                  is found: " + certificateFolder + "/certificate.pem and key.pem\n"
           "  --address=IP    listen on this address only (default: every address of the device)\n"
           "  --hostname=NAME also answer to this name (repeatable); the device always answers to\n"
           "                  its addresses, localhost, its host name and that name with .local\n"
           "  --foreground    stay attached to the terminal (for service managers and tests)\n"
           "  --root=DIR      read absolute paths under DIR, so /mnt/pen is DIR/mnt/pen (demo, tests)\n"
           "  --help          show this text\n"
           "  --version       show the version\n";
}

}  // namespace platform
