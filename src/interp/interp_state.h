// The interpreter's state and setup. InterpState is everything a program can leave in the
// interpreter, in one struct that reset_interp_state (interp_reset.h) replaces with a fresh
// value; InterpSetup is what the interpreter's host chooses on purpose (the bif table, the
// policies, the hooks of the layers above), which no reset touches. Each part keeps its name
// (vm, program, decoded, exceptions, for_cache, program_arguments; bif_table, exit_policy,
// native_policy, decode_policy, upper_layer_hooks): references into the two structs, bound at
// compile time, so the op loop reaches its registers, decoded ops and FOR/NEXT cache as directly
// as globals.
//
// Not in them: the routine plans (routine_plans.h), a cache of the laid-out image's calls that
// goes with the decoded ops when a program is laid out (reset_decoded_ops), and the op loop's
// constant tables of label addresses.
#pragma once

#include "bcode/bifs.h"
#include "bcode/ops.h"
#include "interp/quillet_native.h"
#include "values/arena.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

// ---- Registers and the laid-out program (registers.h) -------------------------------------------

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

// ---- Exceptions (exceptions.h) ------------------------------------------------------------------

struct TraceEntry {
    int32_t line;
    Addr routine_name;
};

struct ExceptionState {
    int32_t last_code = 0;
    Addr handling_frame = 0;
    TraceEntry trace[10] = {};
    int32_t trace_count = 0;
    int32_t trace_read = 0;
    bool new_exception = false;
    int32_t explicit_line = 0;
};

// ---- The FOR/NEXT cache (for_loops.h) -----------------------------------------------------------

// How the cached loop steps: integer limit and step take the integer path in their direction; a
// double step with an integer or plain double limit adds and compares as doubles, in its
// direction too.
enum class ForStep : uint8_t { general, int_up, int_down, double_up, double_down };

inline constexpr bool steps_by_double(ForStep how) {
    return how == ForStep::double_up || how == ForStep::double_down;
}

struct ForCache {
    Addr key_pc = 0;
    Addr key_fp = 0;
    Addr int_up_pc = 0; // key_pc while the loop steps up by integers, else 0
    Addr var = 0;
    ForStep how = ForStep::general;
    bool step_negative = false;
    int32_t int_limit = 0;
    int32_t int_step = 0;
    Cell limit = 0;
    Cell step = 0;
    double double_limit = 0; // double_up, double_down: the limit and step as doubles
    double double_step = 0;
    Addr body_pc = 0;
};

// ---- Decoded ops (decoded_ops.h) ----------------------------------------------------------------

struct DecodedOp;

// One operand of a decoded bif, resolved when the bif was decoded: where it starts in the op
// stream and the pc after it, the operand table it is read through there, and what that
// table's descriptor says (vm.bases[base] + delta, then the address stored there when indirect).
// A list of them ends with an entry that matches no operand (at 0, a table at no address).
struct BifOperand {
    Addr at = 0;
    Addr after = 0;
    Addr table = ~Addr(0);
    uint32_t delta = 0;
    uint8_t base = 0;
    bool indirect = false;
};

// The list of a bif that runs from the op stream: no operand listed.
inline constexpr BifOperand no_bif_operands{};

struct DecodedCode {
    Addr image = 0;
    uint32_t size = 0;
    std::vector<DecodedOp*> slot; // per image byte: not yet seen, raw_op(), or its decoded op
    std::vector<std::unique_ptr<DecodedOp[]>> runs; // records never move once made
    DecodedOp* running = nullptr; // the decoded op the loop runs; null while it runs others
    uint32_t countdown = 0;       // the loop's count of ops to its next check point, with it
    std::vector<std::unique_ptr<BifOperand[]>> bif_operands; // the operand lists of decoded bifs
    // While a decoded bif runs: its next operand not read yet (operands.h); otherwise the end
    // of an empty list.
    const BifOperand* bif_cursor = &no_bif_operands;
};

// ---- The program's name and arguments (program_arguments.h) -------------------------------------

struct ProgramArguments {
    std::string name;                        // the executable's full path (argv[0])
    std::vector<std::string> words;          // every word after it
    std::optional<std::string> chained_text; // the argument text of the last chain, if any
};

// ---- Native routines (native_routines.h) --------------------------------------------------------

// Libraries stay loaded for the whole run; their procedures are numbered from 1 in the order
// they were first called (native_routines.h). A fresh value given to a holder closes the
// libraries it held.
struct NativeLibraries {
    std::vector<void*> handles;
    std::vector<quillet_native_proc> procedures;
    NativeLibraries() = default;
    NativeLibraries(const NativeLibraries&) = delete;
    NativeLibraries& operator=(const NativeLibraries&) = delete;
    NativeLibraries& operator=(NativeLibraries&& other) noexcept;
    ~NativeLibraries() { close(); }
    void close();
};

struct InterpState {
    Registers vm;
    Program program;
    DecodedCode decoded;
    ExceptionState exceptions;
    ForCache for_cache;
    ProgramArguments arguments;
    NativeLibraries natives;
    // The op counter at the running loop's next check point (op_loop.cpp); only its slow paths
    // read it, so it stays out of the registers. Each loop sets it anew after every call out.
    uint32_t check_counter = 0;
};

// ---- The host's choices -------------------------------------------------------------------------

// Bif dispatch (bif_dispatch.h).
using BifHandler = void (*)();

inline constexpr uint32_t bif_count = bcode::bif_number_count;

namespace bif = bcode::bif;

// One handler per bif number; numbers without one go to the image's override table. Handlers
// are installed by the names of the bif table (bcode/bifs.def), family by family.
struct BifTable {
    BifHandler native[bif_count] = {};

    void install(bif::Number n, BifHandler h) { native[n] = h; }
};

// The process's end (fatal.h).
// How the process ends. A host that must survive the program's end (the fuzz target) installs a
// function here that does not return normally (it throws); otherwise the process exits.
struct ExitPolicy {
    void (*hook)(int status) = nullptr;
};

// Whether descriptors may load host libraries (native_routines.h); a host that runs untrusted
// images (the fuzz target) turns it off, and such calls raise 9003 as for a missing library.
struct NativePolicy {
    bool enabled = true;
};

// Decoded ops (decoded_ops.h).
// Whether the loop decodes ops at all; with it off, every op runs from the op stream, the
// reference that tests hold the decoded handlers to. The host of the engine chooses it, and
// reset_engine leaves it as it is.
struct DecodePolicy {
    bool enabled = true;
};

// What the layers above the interpreter register with it (upper_layer_hooks.h): the interpreter
// calls up only through these, never by name. Start-up fills them once; a hook left empty does
// nothing.
struct UpperLayerHooks {
    // At a program end that asks for it (kinds 1 and 44): "Press any key." and the wait for a
    // key, in the default window.
    void (*end_of_program_wait)() = nullptr;
    // After each pump of the op loop: the serial ports gather what they received, a playing
    // tune's position reaches its string.
    void (*poll_devices)() = nullptr;
    // After each pump between ops: acts on what the window events asked for (the default
    // window's close box ending the program).
    void (*after_pump)() = nullptr;
    // At every program end, after the end-of-program wait: stops the tune that plays and closes
    // the audio device.
    void (*end_sound)() = nullptr;
    // At every program end, after the end-of-program wait: closes all the program's windows.
    void (*close_all_windows)() = nullptr;
};

struct InterpSetup {
    BifTable bif_table;
    ExitPolicy exit;
    NativePolicy native;
    DecodePolicy decode;
    UpperLayerHooks upper_layers;
};

extern InterpState interp_state;
extern constinit InterpSetup interp_setup;

inline constexpr Registers& vm = interp_state.vm;
inline constexpr Program& program = interp_state.program;
inline constexpr DecodedCode& decoded = interp_state.decoded;
inline constexpr ExceptionState& exceptions = interp_state.exceptions;
inline constexpr ForCache& for_cache = interp_state.for_cache;
inline constexpr ProgramArguments& program_arguments = interp_state.arguments;

inline constexpr BifTable& bif_table = interp_setup.bif_table;
inline constexpr ExitPolicy& exit_policy = interp_setup.exit;
inline constexpr NativePolicy& native_policy = interp_setup.native;
inline constexpr DecodePolicy& decode_policy = interp_setup.decode;
inline constexpr UpperLayerHooks& upper_layer_hooks = interp_setup.upper_layers;

} // namespace quillet
