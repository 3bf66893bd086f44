#pragma once
#include <cstdint>

namespace platform {

// For long work while a page is made (reading a big file): tells the browser that waits
// for the page how far it has come, done of total. Cheap, and safe to call anywhere:
// outside a session's page opening it does nothing.
void ReportProgress(std::uint64_t done, std::uint64_t total);

}  // namespace platform
