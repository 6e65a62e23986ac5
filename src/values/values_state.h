// The values layer's state: everything a program can leave in the layer, in one struct that
// reset_values_state (values_reset.h) replaces with a fresh value. Each part keeps its name:
// heap, scan_state, random_state, list_syntax and debug_log_state are references into the one
// struct, bound at compile time, so they are reached as directly as globals.
//
// Not in it: the arena's reservation (arena.h), which the process keeps from program to program,
// and the memory fault policy (memory.h), the host's choice that no program changes.
#pragma once

#include "values/arena.h"
#include "values/token_scanner.h"

#include <cstdint>
#include <string>

namespace quillet {

inline constexpr unsigned size_class_count = 33 + 24 * 4;

// The first 64 KiB of the arena are never handed out by the heap: address 0 is null, and the
// process-wide static records (the empty string record and the like) live there.
inline constexpr Addr heap_start = 64 * 1024;

// The block allocator's heap (memory.h).
struct Heap {
    uint64_t top = heap_start;             // first byte never yet handed out (may be 2^32)
    Addr free_head[size_class_count] = {}; // per class: most recently freed block
    uint64_t bytes_in_use = 0;             // sum of class capacities of live blocks
    uint32_t blocks_in_use = 0;
    uint64_t limit = arena_span; // the top never passes it (a test harness may set it lower)
};

// The one scan of the engine (token_scanner.h): the source it reads (one reference held, so the
// text stays as it was when the scan started) and the cells that receive each token.
struct ScanState {
    Addr source_record = 0;
    TokenScanner scanner;
    Addr class_cell = 0;
    Addr text_cell = 0;
    Addr position_cell = 0;
};

// The random-number generator of RND and RANDOMIZE (random_numbers.h).
struct RandomState {
    uint32_t seed = 0xFFFF0000u;
    uint32_t rand_state = 1; // state of the rand-style generator that only the reseed draws from
};

// The separator of lists held in one text (split_join.h), "|" when a program starts; a program
// can change it.
struct ListSyntax {
    char delimiter = '|';
};

// What an infinite result does (num_double, numbers.h): 1002 unless goes_on says otherwise.
struct OverflowPolicy {
    bool (*goes_on)() = nullptr;
};

// The optional debug log (debug_log.h).
struct DebugLog {
    std::string path; // empty: logging disabled
};

struct ValuesState {
    Heap heap;
    OverflowPolicy overflow;
    ScanState scan;
    RandomState random;
    ListSyntax lists;
    DebugLog debug_log;
};

inline ValuesState values_state;

inline constexpr Heap& heap = values_state.heap;
inline constexpr ScanState& scan_state = values_state.scan;
inline constexpr RandomState& random_state = values_state.random;
inline constexpr ListSyntax& list_syntax = values_state.lists;
inline constexpr DebugLog& debug_log_state = values_state.debug_log;
inline constexpr OverflowPolicy& overflow_policy = values_state.overflow;

} // namespace quillet
