// Bif dispatch: the native bif table and the image's B-code bifs.
#pragma once

#include <cstdint>

namespace quillet {

using BifHandler = void (*)();

inline constexpr uint32_t bif_count = 512;

struct BifTable {
    BifHandler native[bif_count] = {};
};

inline BifTable bif_table;

// Fills the native table with every family of bifs.
void install_bifs();

// Calls bif n with its operands at vm.pc: natively, or else through the override table.
inline void call_bif(uint32_t n);

// Enters the B-code routine that the image's override table names for bif n; a bif defined
// nowhere is the fatal "unimplemented bif".
void bcode_bif(uint32_t n);

inline void call_bif(uint32_t n) {
    if (BifHandler h = bif_table.native[n])
        h();
    else
        bcode_bif(n);
}

// Family installers, one per file of interp/bifs/.
void install_core_bifs(BifTable& table);
void install_array_bifs(BifTable& table);
void install_numeric_bifs(BifTable& table);
void install_string_bifs(BifTable& table);
void install_option_bifs(BifTable& table);
void install_process_bifs(BifTable& table);

} // namespace quillet
