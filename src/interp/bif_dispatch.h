// Bif dispatch: the native bif table and the image's B-code bifs.
#pragma once

#include "bcode/bifs.h"
#include "interp/interp_state.h"
#include "values/arena.h"

#include <cstdint>
#include <optional>

namespace quillet {

// Calls bif n with its operands at vm.pc: natively, or else through the override table.
inline void call_bif(uint32_t n);

// Enters the B-code routine that the image's override table names for bif n; a bif defined
// nowhere is the fatal "unimplemented bif".
void bcode_bif(uint32_t n);

// Whether the image's override table names a routine for bif n (so that bcode_bif(n) enters it).
bool has_bcode_bif(uint32_t n);

// The routine that the image's override table names for bif n: its entry descriptor and module.
struct BcodeRoutine {
    Addr entry;
    uint32_t module;
};
std::optional<BcodeRoutine> bcode_bif_routine(uint32_t n);

inline void call_bif(uint32_t n) {
    if (BifHandler h = bif_table.native[n])
        h();
    else
        bcode_bif(n);
}

// The interpreter's own bifs: exception information, nested runs, channel mapping, frame
// queries, the frame watch, program end and the pump controls.
void install_core_bifs(BifTable& table);

} // namespace quillet
