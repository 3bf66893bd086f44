#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

// The framework's command-line options, each "--name=value" or "--name".
struct ServerOptions {
    std::optional<int> port;        // --port=N
    std::optional<int> securePort;  // --secureport=N
    bool foreground = false;        // --foreground: Daemonize succeeds without detaching
    std::string root;               // --root=DIR: absolute paths resolve under DIR
    bool help = false;              // --help
    bool version = false;           // --version
    std::string address;            // --address=IP: listen on this address only (IPv4 or IPv6)
    std::vector<std::string> hostnames;  // --hostname=NAME, repeatable: more names the device answers to
    std::vector<std::string> arguments;  // what is not an option, for the Open event

    // Throws OptionError naming the offending argument.
    static ServerOptions Parse(const std::vector<std::string>& arguments);
    static std::string Usage(const std::string& program, const std::string& certificateFolder);
};

class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace platform
