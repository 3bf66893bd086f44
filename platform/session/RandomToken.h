#pragma once
#include <string>

namespace platform::session {

// 128 bits from the operating system's random source, as 32 lowercase hex digits.
// Used for session identifiers and download addresses, which must not be guessable.
std::string RandomToken();

}  // namespace platform::session
