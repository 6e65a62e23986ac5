// A hash table kept inside a string, so that programs can copy it, store it in files and read it
// back. The text is 32-bit little-endian words, offsets counted in words from the start:
//   word 0            bucket count (119)
//   words 1..count    bucket heads: offset of the first entry of the bucket, 0 when empty
//   per entry         next (0 ends the chain), value, key length, key bytes padded to 4
// Entries are appended at the end of the text and never removed. The hash function is part of
// the format.
#pragma once

#include "values/arena.h"

#include <cstdint>
#include <string_view>

namespace quillet {

inline constexpr int32_t hashed_table_buckets = 119;
inline constexpr int32_t hashed_table_missing = -1;

// The key's hash: bytes sign-extended and XORed into three lanes in turn, then combined.
int32_t hashed_table_hash(std::string_view key);

// The value stored under key, or -1. Any text is read safely: a text that is not a table, or
// whose links point outside it, finds nothing beyond what lies inside it.
int32_t hashed_table_find(Addr record, std::string_view key);

// Stores value under the key held in key_record, making the empty text a new table first. A
// non-empty text whose header does not fit it is refused with -555.
void hashed_table_store(Addr table_cell, Addr key_record, int32_t value);

} // namespace quillet
