// Reservation of the VM arena.
#include "values/arena.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace quillet {

void arena_init() {
    if (arena.reserved) return;
    // MAP_NORESERVE: pages are committed by the kernel on first touch, so the reservation costs
    // only address space.
    void* want = reinterpret_cast<void*>(arena_address);
    void* p = mmap(want, arena_reach + arena_guard, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
    if (p != want) {
        // Nothing runs without the arena: say what the host refused and why, and end as a
        // start-up refusal ends. A kernel without MAP_FIXED_NOREPLACE maps it elsewhere.
        int error = p == MAP_FAILED ? errno : EEXIST;
        std::fprintf(stderr,
                     "quillet: cannot reserve the VM arena (%llu MiB of address space at "
                     "0x%llx): %s\n",
                     static_cast<unsigned long long>((arena_reach + arena_guard) >> 20),
                     static_cast<unsigned long long>(arena_address), std::strerror(error));
        std::exit(1);
    }
    arena.reserved = true;
}

void arena_clear() {
    if (!arena.reserved) return;
    // The whole reach, not only the heap's range: a program can store through any corrupt
    // address. Ranges never touched cost the kernel next to nothing.
    madvise(reinterpret_cast<void*>(arena_address), arena_reach + arena_guard, MADV_DONTNEED);
}

} // namespace quillet
