#include "platform/session/RandomToken.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "platform/runtime/RuntimeException.h"

namespace platform::session {

std::string RandomToken() {
    std::array<std::uint8_t, 16> bytes{};
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::getrandom(bytes.data() + got, bytes.size() - got, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw RuntimeException("no random source");
        }
        got += static_cast<std::size_t>(n);
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string token;
    token.reserve(32);
    for (const auto b : bytes) {
        token += digits[b >> 4];
        token += digits[b & 15];
    }
    return token;
}

}  // namespace platform::session
