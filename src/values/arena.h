// The VM arena: one reservation that holds everything a B-code program can address.
//
// Addresses are 32-bit offsets into the arena; 0 is null and never handed out. The reservation
// covers every 32-bit address and, beyond them, another 4 GiB and a guard: any address with any
// 32-bit length from it (a cell, or a string record whose length a program corrupted) stays
// inside, so no access needs a bounds check. A corrupt address reads or writes garbage inside the
// arena, never the engine's own memory. Pages are committed only when touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// For the few helpers of the op loop's hot path that the compiler would otherwise call.
#define QUILLET_HOT_INLINE [[gnu::always_inline]] inline

namespace quillet {

using Addr = uint32_t;

// An 8-byte value cell as raw bits: the low word at the lower address.
using Cell = uint64_t;

inline constexpr uint64_t arena_span = uint64_t{1} << 32;                 // the addressable part
inline constexpr uint64_t arena_reach = arena_span + (uint64_t{1} << 32); // plus any length
inline constexpr uint64_t arena_guard = 64 * 1024;

// The arena sits at a fixed address, so that every access is one instruction on a constant base
// that the compiler never has to reload. Under 2 GiB the base is that instruction's own 32-bit
// displacement, with no register to hold it (an op's handler saves an instruction for each
// access). The arena's reach from 1.5 GiB up is free in a 64-bit Linux process: its program,
// heap, libraries and stack lie far higher (under valgrind, lower). The address sanitizer keeps
// its shadow memory there, so its builds take an address above that shadow.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLET_ARENA_ABOVE_SHADOW 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLET_ARENA_ABOVE_SHADOW 1
#endif
#endif
#ifdef QUILLET_ARENA_ABOVE_SHADOW
inline constexpr uintptr_t arena_address = uintptr_t{1} << 45;
#else
inline constexpr uintptr_t arena_address = 0x60000000;
#endif

struct Arena {
    bool reserved = false;
};

inline Arena arena;

// Reserves the arena (idempotent). When the host refuses the reservation, nothing can run: it
// says why on standard error and ends the process with status 1.
void arena_init();

// Gives every page of the arena back to the host: the whole reservation reads as zero again, as
// before the first program, and the memory it held no longer counts as the process's.
void arena_clear();

inline std::byte* host_ptr(Addr a) {
    return reinterpret_cast<std::byte*>(arena_address + a);
}

// Arena address of a host pointer that points into the arena.
inline Addr arena_addr(const void* p) {
    return static_cast<Addr>(reinterpret_cast<uintptr_t>(p) - arena_address);
}

// Unaligned access through typed pointers: one move each, and (unlike byte copies) no store can
// be taken to alias the interpreter's own variables.
namespace unaligned {
typedef uint16_t __attribute__((aligned(1))) u16;
typedef uint32_t __attribute__((aligned(1))) u32;
typedef int32_t __attribute__((aligned(1))) i32;
typedef uint64_t __attribute__((aligned(1))) u64;
// Cells are stored as integers; a double read of one must alias them.
typedef double __attribute__((aligned(1), may_alias)) f64;
} // namespace unaligned

// The attribute of these typedefs is lost when they pass through a template, so every access
// spells its cast out.
#define QUILLET_ARENA_AT(type, a) (*reinterpret_cast<type*>(arena_address + (a)))

QUILLET_HOT_INLINE uint8_t load_u8(Addr a) {
    return QUILLET_ARENA_AT(const uint8_t, a);
}
QUILLET_HOT_INLINE void store_u8(Addr a, uint8_t v) {
    QUILLET_ARENA_AT(uint8_t, a) = v;
}
QUILLET_HOT_INLINE uint16_t load_u16(Addr a) {
    return QUILLET_ARENA_AT(const unaligned::u16, a);
}
QUILLET_HOT_INLINE uint32_t load_u32(Addr a) {
    return QUILLET_ARENA_AT(const unaligned::u32, a);
}
QUILLET_HOT_INLINE int32_t load_i32(Addr a) {
    return QUILLET_ARENA_AT(const unaligned::i32, a);
}
QUILLET_HOT_INLINE Cell load_cell(Addr a) {
    return QUILLET_ARENA_AT(const unaligned::u64, a);
}
// The cell at a as a double, read straight into a floating-point register by a load of its own
// (volatile: not taken from an integer load of the same cell). A sum that goes through memory
// from one op to the next then waits for the load and the addition only.
QUILLET_HOT_INLINE double load_double(Addr a) {
    return QUILLET_ARENA_AT(const volatile unaligned::f64, a);
}
QUILLET_HOT_INLINE void store_u16(Addr a, uint16_t v) {
    QUILLET_ARENA_AT(unaligned::u16, a) = v;
}
QUILLET_HOT_INLINE void store_u32(Addr a, uint32_t v) {
    QUILLET_ARENA_AT(unaligned::u32, a) = v;
}
QUILLET_HOT_INLINE void store_i32(Addr a, int32_t v) {
    QUILLET_ARENA_AT(unaligned::i32, a) = v;
}
QUILLET_HOT_INLINE void store_cell(Addr a, Cell v) {
    QUILLET_ARENA_AT(unaligned::u64, a) = v;
}

#undef QUILLET_ARENA_AT

// Other widths and signed types, by copy.
template <typename T>
inline T load(Addr a) {
    T v;
    std::memcpy(&v, host_ptr(a), sizeof v);
    return v;
}

template <typename T>
inline void store(Addr a, T v) {
    std::memcpy(host_ptr(a), &v, sizeof v);
}

// Big-endian 32-bit word, as array templates and bounds texts store them.
inline uint32_t load_u32_be(Addr a) {
    return __builtin_bswap32(load_u32(a));
}

inline void copy_bytes(Addr dst, Addr src, uint32_t n) {
    std::memmove(host_ptr(dst), host_ptr(src), n);
}

} // namespace quillet
