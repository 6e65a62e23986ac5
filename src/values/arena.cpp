// Reservation of the VM arena.
#include "values/arena.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>

namespace quillet {

void arena_init() {
    if (arena.base) return;
    // MAP_NORESERVE: pages are committed by the kernel on first touch, so the reservation costs
    // only address space.
    void* p = mmap(nullptr, arena_span + arena_guard, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        std::perror("quillet: cannot reserve the 4 GiB VM arena");
        std::abort();
    }
    arena.base = static_cast<std::byte*>(p);
}

} // namespace quillet
