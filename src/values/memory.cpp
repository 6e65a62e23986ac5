#include "values/memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace quillet {
namespace detail {

Addr mem_alloc_slow(unsigned cls, uint32_t size) {
    arena_init();
    uint64_t cap = class_capacity(cls);
    uint64_t need = cap + mem_header_size;
    if (heap.top + need <= heap.limit) {
        Addr block = static_cast<Addr>(heap.top + mem_header_size);
        heap.top += need;
        store_u32(block - 8, size);
        store_u32(block - 4, tag_mark | tag_in_use | cls);
        heap.bytes_in_use += cap;
        ++heap.blocks_in_use;
        return block;
    }
    // The top is exhausted: a free block of a larger class serves, at the cost of its slack.
    for (unsigned c = cls + 1; c < size_class_count; ++c) {
        if (Addr block = heap.free_head[c]) {
            heap.free_head[c] = load_u32(block);
            store_u32(block - 8, size);
            store_u32(block - 4, tag_mark | tag_in_use | c);
            heap.bytes_in_use += class_capacity(c);
            ++heap.blocks_in_use;
            return block;
        }
    }
    raise_error(err::out_of_memory);
}

// Gives the pages of a large freed block back to the host; they read as zero when touched again.
// The first page stays: it holds the header and the free-list link.
void mem_release_pages(Addr block, unsigned cls) {
    constexpr uint64_t page = 4096;
    uint64_t first = (uint64_t{block} + page + page - 1) & ~(page - 1);
    uint64_t end = (uint64_t{block} + class_capacity(cls)) & ~(page - 1);
    if (end > first) madvise(host_ptr(0) + first, end - first, MADV_DONTNEED);
}

void mem_bad_block(Addr block) {
    if (memory_fault_policy.hook) {
        memory_fault_policy.hook(block);
        return; // a hook that returns leaves the block alone
    }
    std::fprintf(stderr, "quillet: engine fault: freeing 0x%08x, which is not a live block\n",
                 block);
    std::abort();
}

} // namespace detail

Addr mem_resize(Addr block, uint32_t size) {
    if (!block) return mem_alloc(size);
    if (size == 0) {
        mem_free(block);
        return 0;
    }
    if (size <= mem_capacity(block)) {
        store_u32(block - 8, size);
        return block;
    }
    Addr fresh = mem_alloc(size);
    copy_bytes(fresh, block, mem_size(block));
    mem_free(block);
    return fresh;
}

Addr mem_zalloc(uint32_t count, uint32_t size) {
    uint64_t total = uint64_t{count} * size;
    if (total > UINT32_MAX) raise_error(err::out_of_memory);
    Addr block = mem_alloc(static_cast<uint32_t>(total));
    // A large block's whole pages are given back to the host instead of written: they read as
    // zero and are committed only when the program touches them (the value stack, a big array
    // that is filled sparsely). Only the partial pages at either end are cleared by hand.
    constexpr uint64_t page = 4096;
    constexpr uint64_t released_from = 16 * page;
    uint64_t first = (uint64_t{block} + page - 1) & ~(page - 1);
    uint64_t end = (uint64_t{block} + total) & ~(page - 1);
    if (total < released_from || madvise(host_ptr(0) + first, end - first, MADV_DONTNEED) != 0) {
        std::memset(host_ptr(block), 0, total);
        return block;
    }
    std::memset(host_ptr(block), 0, first - block);
    std::memset(host_ptr(0) + end, 0, block + total - end);
    return block;
}

Addr mem_dup(const void* bytes, uint32_t n) {
    Addr block = mem_alloc(n);
    if (n) std::memcpy(host_ptr(block), bytes, n);
    return block;
}

void mem_grow_if_needed(Addr& block, uint32_t current, uint32_t wanted) {
    if (wanted > current) block = mem_resize(block, wanted);
}

} // namespace quillet
