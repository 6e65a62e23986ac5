// The block allocator of the VM arena.
//
// Every block carries an 8-byte header in front of it: the requested size and a tag word holding
// a check mark, an in-use bit and the block's size class. Blocks come from segregated free lists
// (8-byte steps up to 256 bytes, then four classes per doubling), so allocation and freeing are a
// few instructions, freed memory is reused by the next request of its class, and no block ever
// moves unless it is resized beyond its class. Fresh memory is cut from the top of the heap.
// Exhaustion raises 5000.
#pragma once

#include "values/arena.h"
#include "values/errors.h"
#include "values/values_state.h"

#include <bit>
#include <cstdint>

namespace quillet {

inline constexpr uint32_t mem_header_size = 8;
inline constexpr uint32_t small_class_limit = 256;

// What happens when something that is not a live block is freed (a double free, or a program
// that overwrote a string record's count): by default the process stops with a message; the
// engine installs its fatal stop, so the program ends cleanly with a message box. A hook that
// returns leaves the block alone (it may run inside a destructor, where nothing may be thrown).
struct MemoryFaultPolicy {
    void (*hook)(Addr block) = nullptr;
};
inline MemoryFaultPolicy memory_fault_policy;

namespace detail {

inline constexpr uint32_t tag_mark = 0xB10C0000u;
inline constexpr uint32_t tag_mark_mask = 0xFFFF0000u;
inline constexpr uint32_t tag_in_use = 0x8000u;
inline constexpr uint32_t tag_class_mask = 0x00FFu;

// Size class of a request: classes 1..32 hold 8..256 bytes; above that class 33 + 4(e - 8) + s
// holds (5 + s) << (e - 2) bytes, where e is the top bit of (size - 1).
constexpr unsigned size_class(uint32_t size) {
    if (size <= small_class_limit) return size == 0 ? 1 : (size + 7) >> 3;
    uint32_t v = size - 1;
    unsigned e = 31 - static_cast<unsigned>(std::countl_zero(v));
    unsigned s = (v >> (e - 2)) & 3;
    return 33 + (e - 8) * 4 + s;
}

constexpr uint64_t class_capacity(unsigned c) {
    if (c <= 32) return uint64_t{c} << 3;
    unsigned e = 8 + (c - 33) / 4, s = (c - 33) % 4;
    return uint64_t{5 + s} << (e - 2);
}

// Freed blocks of this class and above give their pages back to the host.
inline constexpr unsigned large_class = size_class(256 * 1024);

Addr mem_alloc_slow(unsigned cls, uint32_t size);
void mem_release_pages(Addr block, unsigned cls);
void mem_bad_block(Addr block);

inline uint32_t block_tag(Addr block) {
    return load_u32(block - 4);
}

inline bool is_live_block(Addr block) {
    uint32_t tag = block_tag(block);
    return block >= heap_start + mem_header_size && (tag & tag_mark_mask) == tag_mark &&
           (tag & tag_in_use);
}

} // namespace detail

// Allocates size bytes (contents undefined); raises 5000 when the arena is exhausted.
inline Addr mem_alloc(uint32_t size) {
    unsigned cls = detail::size_class(size);
    Addr block = heap.free_head[cls];
    if (!block) return detail::mem_alloc_slow(cls, size);
    heap.free_head[cls] = load_u32(block);
    store_u32(block - 8, size);
    store_u32(block - 4, detail::tag_mark | detail::tag_in_use | cls);
    heap.bytes_in_use += detail::class_capacity(cls);
    ++heap.blocks_in_use;
    return block;
}

// Frees a block; null is ignored. Freeing something that is not a live block (a double free, a
// pointer into a literal) is an engine fault and stops the process with a message.
inline void mem_free(Addr block) {
    if (!block) return;
    if (!detail::is_live_block(block)) {
        detail::mem_bad_block(block);
        return;
    }
    unsigned cls = detail::block_tag(block) & detail::tag_class_mask;
    store_u32(block - 4, detail::tag_mark | cls);
    if (cls >= detail::large_class) detail::mem_release_pages(block, cls);
    store_u32(block, heap.free_head[cls]);
    heap.free_head[cls] = block;
    heap.bytes_in_use -= detail::class_capacity(cls);
    --heap.blocks_in_use;
}

// The size that was requested for the block.
inline uint32_t mem_size(Addr block) {
    return load_u32(block - 8);
}

// Bytes the block can hold without moving.
inline uint64_t mem_capacity(Addr block) {
    return detail::class_capacity(detail::block_tag(block) & detail::tag_class_mask);
}

// Resizes keeping the contents (up to the smaller size). A null block allocates. Size 0 frees the
// block and returns null. A block whose class already holds the new size stays where it is.
Addr mem_resize(Addr block, uint32_t size);

// count * size zero-filled bytes; a product beyond 32 bits raises 5000.
Addr mem_zalloc(uint32_t count, uint32_t size);

// A new block holding a copy of n host bytes.
Addr mem_dup(const void* bytes, uint32_t n);

// Resizes block (held in the given pointer) to wanted bytes only when wanted > current.
void mem_grow_if_needed(Addr& block, uint32_t current, uint32_t wanted);

} // namespace quillet
