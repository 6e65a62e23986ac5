#include "values/values_reset.h"

#include "values/arena.h"
#include "values/debug_log.h"
#include "values/memory.h"
#include "values/random_numbers.h"
#include "values/split_join.h"
#include "values/token_scanner.h"

namespace quillet {

void reset_values_state() {
    arena_init();
    arena_clear();
    // Every record lived in the arena, so nothing is released: the state is simply forgotten.
    heap = Heap{};
    scan_state = ScanState{};
    random_restart(random_state);
    list_syntax = ListSyntax{};
    debug_log_state = DebugLog{};
}

} // namespace quillet
