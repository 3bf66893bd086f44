#pragma once
#include <string>

namespace platform {

// A point in time. A new Date holds the current date and time; TotalSeconds counts
// seconds since 1970-01-01 00:00:00 UTC and may be moved forward or back.
class Date {
public:
    Date();
    explicit Date(double totalSeconds) : totalSeconds_(totalSeconds) {}

    double TotalSeconds() const { return totalSeconds_; }
    void SetTotalSeconds(double seconds) { totalSeconds_ = seconds; }

    // The date as an HTTP date ("Thu, 11 Mar 2027 09:10:15 GMT"), as cookie expiry wants it.
    std::string HttpDate() const;

private:
    double totalSeconds_;
};

}  // namespace platform
