#include "platform/runtime/Date.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace platform {

Date::Date()
    : totalSeconds_(std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count()) {}

std::string Date::HttpDate() const {
    const auto seconds = static_cast<std::time_t>(std::floor(totalSeconds_));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const std::size_t n = std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return std::string(text, n);
}

}  // namespace platform
