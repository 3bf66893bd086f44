#include "platform/runtime/Print.h"

#include <cstdio>
#include <mutex>

namespace platform {

void Print(std::string_view text) {
    // One lock so that lines from two sessions never interleave.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace platform
