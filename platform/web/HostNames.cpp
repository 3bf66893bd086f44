#include "platform/web/HostNames.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsPort(std::string_view text) {
    return !text.empty() && text.size() <= 5 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

template <int Family>
bool IsAddress(std::string_view text) {
    unsigned char address[16];
    return text.size() < 64 && ::inet_pton(Family, std::string(text).c_str(), address) == 1;
}

}  // namespace

HostNames::HostNames(std::vector<std::string> extra) {
    names_.push_back("localhost");
    char own[256] = {};
    if (::gethostname(own, sizeof own - 1) == 0 && own[0]) {
        names_.push_back(Lower(own));
        names_.push_back(Lower(own) + ".local");
    }
    for (const auto& name : extra) names_.push_back(Lower(name));
}

bool HostNames::Accepts(std::string_view host) const {
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos) return false;
        const auto rest = host.substr(close + 1);
        return IsAddress<AF_INET6>(host.substr(1, close - 1)) && (rest.empty() || (rest[0] == ':' && IsPort(rest.substr(1))));
    }
    const auto colon = host.find(':');
    if (colon != std::string_view::npos) {
        if (!IsPort(host.substr(colon + 1))) return false;
        host = host.substr(0, colon);
    }
    if (host.ends_with('.')) host.remove_suffix(1);  // "name." is the same name
    if (host.empty()) return false;
    if (IsAddress<AF_INET>(host)) return true;
    return std::find(names_.begin(), names_.end(), Lower(host)) != names_.end();
}

}  // namespace platform
