// The interpreter's registers and the loaded program it runs: one instance of each per process.
#pragma once

#include "bcode/ops.h"
#include "values/arena.h"

#include <cstdint>
#include <vector>

namespace quillet {

// The run-time record of one module: the module base and the addresses of its tables.
struct ModuleRecord {
    Addr base;
    Addr num_operands;
    Addr str_operands;
    Addr num_arrays;
    Addr str_arrays;
    Addr routines;
    Addr line_table;
    Addr channel_table;
};

// Where the laid-out image lives in the arena.
struct Program {
    Addr image = 0;
    uint32_t image_size = 0;
    Addr bif_overrides = 0;
    Addr code_area = 0;
    Addr cell_area1 = 0;
    Addr cell_area2 = 0;
    Addr literal_tail = 0;
    std::vector<ModuleRecord> modules;
    uint32_t start_module = 0;
    Addr start_entry = 0;
};

inline constexpr uint32_t value_stack_size = 200000;

struct Registers {
    Addr pc = 0;
    uint32_t module = 0;
    Addr num_operands = 0; // operand tables of the current module
    Addr str_operands = 0;

    Addr stack_base = 0;
    Addr sp = 0; // next free 4-byte word; the stack grows down

    // The bases that address modes count from, in one array indexed by bcode::ModeBase, so that
    // a resolved operand can name its base by index: the environment frame (mode env reaches its
    // variables), the current frame (0 before the first), the three areas of the image, the
    // first frame (variables of the main program) and the three shared registers; the last is
    // always 0, the base of operands whose address is known in advance.
    Addr bases[bcode::mode_base_count] = {};
    Addr& env() { return bases[bcode::base_env]; }
    Addr& fp() { return bases[bcode::base_frame]; }
    Addr& global() { return bases[bcode::base_global]; }
    Addr& shared(int r) { return bases[bcode::base_shared0 + r]; }

    // The frame under construction: releasable and reference slots made so far.
    Addr pending_frame = 0;
    int32_t release_count = 0;
    int32_t reference_count = 0;

    int32_t flag = 0; // condition flag of the compare ops
    uint32_t op_counter = 0;
    uint32_t op_step_divisor = 320;
    uint32_t ops_to_pump = 320; // counts down to the next pump
    int32_t pump_suppression = 0;
    int32_t pump_enabled = 1;
    int32_t stop_flag = 1; // 0 while a nested op loop runs
    // The frame that a nested routine run (nested_run.h) returns to: the nested loop ends once
    // the frame pointer is back there. 0 while no such run is active.
    Addr nested_floor = 0;
    int32_t busy_mark = 0;
    int32_t in_slice = 0;

    // A bounded run (the fuzz target; see bound_run_to_ops) ends once it has run op_budget ops.
    // Its check points then come at least every longest_stretch ops, so that no op-step divisor
    // a program sets can put the next one out of reach.
    uint64_t op_budget = UINT64_MAX;
    uint32_t op_budget_mark = 0; // op_counter when op_budget was last charged
    uint32_t longest_stretch = UINT32_MAX;

    Addr frame_watch = 0;      // frame watch position (bif 102)
    Addr program_end_mark = 0; // caller frame of a nested program-unit run (bif 94)
};

inline Program program;
inline Registers vm;

// Makes module m current: its operand tables become the ones operands resolve through.
inline void set_module(uint32_t m) {
    vm.module = m;
    vm.num_operands = program.modules[m].num_operands;
    vm.str_operands = program.modules[m].str_operands;
}

} // namespace quillet
