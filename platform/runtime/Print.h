#pragma once
#include <string_view>

namespace platform {

// Writes text and a line feed to standard output and flushes at once, so that a
// service manager's log sees each line as it happens. Safe from any thread.
void Print(std::string_view text);

}  // namespace platform
