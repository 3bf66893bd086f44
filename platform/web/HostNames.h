#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The names a request may give in its Host header. A web page on any site whose name is
// pointed at the device's address (DNS rebinding) would otherwise read the device as if
// it were its own site: so only addresses and the device's own names are answered.
class HostNames {
public:
    // Accepts IP literals (IPv4, IPv6 in brackets), "localhost", this machine's host name
    // and that name with ".local", and each of extra; letter case never matters.
    explicit HostNames(std::vector<std::string> extra = {});

    // True when a Host header value ("name" or "name:port") names this device.
    bool Accepts(std::string_view host) const;

private:
    std::vector<std::string> names_;  // lower case
};

}  // namespace platform
