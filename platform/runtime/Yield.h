#pragma once

namespace platform {

// The yield to pending background work. Each session's work runs on its own
// preemptive worker thread, so other sessions never wait for a long loop here;
// the call stays as the marker of a long loop's pass and costs nothing.
inline void YieldToPendingWork() noexcept {}

}  // namespace platform
