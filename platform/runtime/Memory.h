#pragma once

namespace platform {

// Sets the allocator up for a long-running server on a small machine: few arenas (each
// thread's arena would otherwise keep its own free memory), and large blocks (read
// buffers, big messages) taken from and given back to the system directly. Call once,
// before any thread starts.
void TuneMemoryForServer();

// Gives the allocator's free memory back to the system, for instance after sessions ended.
void ReturnFreeMemory();

}  // namespace platform
