#include "platform/runtime/Memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void TuneMemoryForServer() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 2);
    // A fixed threshold also stops glibc from raising it after each large free, which
    // would leave later large blocks in the heap, where they are not given back.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void ReturnFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
