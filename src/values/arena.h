// The VM arena: one 4 GiB reservation that holds everything a B-code program can address.
//
// Addresses are 32-bit offsets into the arena; 0 is null and never handed out. Because the
// reservation covers every 32-bit address plus a guard, any address with any cell read from it
// stays inside the arena, so no access needs a bounds check: a corrupt address reads or writes
// garbage inside the arena, never the engine's own memory. Loads and stores go through memcpy,
// which makes them safe at any alignment and compiles to single moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quillet {

using Addr = uint32_t;

// An 8-byte value cell as raw bits: the low word at the lower address.
using Cell = uint64_t;

inline constexpr uint64_t arena_span = uint64_t{1} << 32;
inline constexpr uint64_t arena_guard = 64 * 1024;

struct Arena {
    std::byte* base = nullptr;
};

// The process's one arena; arena_init must have run before any access.
inline Arena arena;

// Reserves the arena (idempotent). Aborts the process when the host refuses the reservation,
// since nothing can run without it.
void arena_init();

inline std::byte* host_ptr(Addr a) { return arena.base + a; }

// Arena address of a host pointer that points into the arena.
inline Addr arena_addr(const void* p) {
    return static_cast<Addr>(static_cast<const std::byte*>(p) - arena.base);
}

inline uint8_t load_u8(Addr a) { return static_cast<uint8_t>(arena.base[a]); }
inline void store_u8(Addr a, uint8_t v) { arena.base[a] = static_cast<std::byte>(v); }

template <typename T>
inline T load(Addr a) {
    T v;
    std::memcpy(&v, arena.base + a, sizeof v);
    return v;
}

template <typename T>
inline void store(Addr a, T v) {
    std::memcpy(arena.base + a, &v, sizeof v);
}

inline uint16_t load_u16(Addr a) { return load<uint16_t>(a); }
inline uint32_t load_u32(Addr a) { return load<uint32_t>(a); }
inline int32_t load_i32(Addr a) { return load<int32_t>(a); }
inline Cell load_cell(Addr a) { return load<Cell>(a); }
inline void store_u16(Addr a, uint16_t v) { store(a, v); }
inline void store_u32(Addr a, uint32_t v) { store(a, v); }
inline void store_i32(Addr a, int32_t v) { store(a, v); }
inline void store_cell(Addr a, Cell v) { store(a, v); }

// Big-endian 32-bit word, as array templates and bounds texts store them.
inline uint32_t load_u32_be(Addr a) {
    uint32_t v = load_u32(a);
    return __builtin_bswap32(v);
}

inline void copy_bytes(Addr dst, Addr src, uint32_t n) {
    std::memmove(arena.base + dst, arena.base + src, n);
}

} // namespace quillet
