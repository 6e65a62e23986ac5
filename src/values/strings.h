// Reference-counted string records and string cells.
//
// A record is one heap block: signed count, signed length, then the text bytes (any byte value,
// no terminator). A string cell is {record, maximum length}; the maximum belongs to the variable,
// and a longer text raises 1106. Records are shared between cells and made private before a
// change (str_prepare / str_reserve). All empty strings share one static record that is never
// freed. String literals of the image are records with count 2 that are never freed either.
#pragma once

#include "values/arena.h"
#include "values/memory.h"

#include <cstdint>
#include <string_view>

namespace quillet {

inline constexpr int32_t no_max_length = 0x7FFFFFFF;
inline constexpr uint32_t str_header_size = 8;

// The static empty record, at a fixed address below the heap. The fresh arena reads as zero, so
// it needs no set-up: length 0, and its count is never looked at.
inline constexpr Addr empty_string = 16;

struct StringCell {
    Addr addr; // the 8-byte cell in the arena
    Addr record() const { return load_u32(addr); }
    int32_t max_length() const { return load_i32(addr + 4); }
};

inline int32_t str_count(Addr rec) {
    return load_i32(rec);
}
// A negative length can only come from a record that a program overwrote: it reads as empty.
inline int32_t str_length(Addr rec) {
    int32_t n = load_i32(rec + 4);
    return n < 0 ? 0 : n;
}
inline void str_set_length(Addr rec, int32_t n) {
    store_i32(rec + 4, n);
}
inline Addr str_text(Addr rec) {
    return rec + str_header_size;
}
// Whether the record, header and text, lies in memory the heap has handed out (or below the heap,
// where the static records are). One that does not is a cell that a program overwrote, or a
// number cell read as a string: its length word may say up to 2 GiB.
inline bool str_is_allocated(Addr rec) {
    return uint64_t{rec} + str_header_size + static_cast<uint32_t>(str_length(rec)) <= heap.top;
}

// The text as host bytes, for code that copies it out of the arena; 5000 for a record that is not
// allocated (str_is_allocated), before anything is copied.
inline std::string_view str_view(Addr rec) {
    if (!str_is_allocated(rec)) [[unlikely]]
        raise_error(err::out_of_memory);
    return {reinterpret_cast<const char*>(host_ptr(str_text(rec))),
            static_cast<size_t>(str_length(rec))};
}

// A new record with count 1 and length n, room for about a quarter more; text undefined.
Addr str_new(int32_t n);

inline void str_retain(Addr rec) {
    store_u32(rec, load_u32(rec) + 1);
}

// Drops one reference; the last one frees the record (never the empty record).
inline void str_release(Addr rec) {
    uint32_t count = load_u32(rec);
    if (count == 1 && rec != empty_string) {
        mem_free(rec);
        return;
    }
    store_u32(rec, count - 1);
}

// Stores rec in the cell, sharing it; 1106 when longer than the cell's maximum.
void str_assign(Addr cell, Addr rec);

// Stores rec through a record pointer where no maximum applies.
void str_assign_unchecked(Addr rec_ptr, Addr rec);

// Whether rec can take n bytes of text in place: nobody else holds it and its block has room.
bool str_writable_in_place(Addr rec, int32_t n);

// The cell's record made private and able to hold n bytes; text not kept, length not set.
Addr str_prepare(Addr cell, int32_t n);

// The cell's record made private and able to hold n bytes, keeping the text.
Addr str_reserve(Addr cell, int32_t n);

// Sets the cell's text. The bytes may lie inside the cell's own record.
void str_set_bytes(Addr cell, const void* bytes, int32_t n);
void str_set_cstr(Addr cell, const char* text);
inline void str_set(Addr cell, std::string_view text) {
    str_set_bytes(cell, text.data(), static_cast<int32_t>(text.size()));
}

// Copies into a C buffer of n bytes, always NUL-terminated (n - 1 text bytes at most).
void str_to_cbuf(char* buffer, Addr rec, int32_t n);

// The byte at i, 0 outside the text.
inline int32_t str_byte_at(Addr rec, int32_t i) {
    if (i < 0 || i >= str_length(rec)) return 0;
    return load_u8(str_text(rec) + static_cast<uint32_t>(i));
}

// Bytes i..i+3 big-endian; bytes outside the text count as 0.
uint32_t str_u32_at(Addr rec, int32_t i);

} // namespace quillet
