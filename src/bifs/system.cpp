// System services: running host commands, chaining, the clock and date, the command-line text,
// pauses and the input time limit, free memory, raw arena bytes and blocks, and the stubs that only
// read their operands.
#include "bifs/install_bifs.h"
#include "devices/clock.h"
#include "devices/host_commands.h"
#include "devices/memory_query.h"
#include "devices/path_mapping.h"
#include "interp/chain_request.h"
#include "interp/fatal.h"
#include "interp/operands.h"
#include "interp/program_arguments.h"
#include "interp/registers.h"
#include "ui/engine_timers.h"
#include "ui/timed_wait.h"
#include "values/strings.h"
#include "xvt/xvt.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace quillet {

namespace {

constexpr int32_t program_not_available = 10005;
constexpr int refused_command_exit = 44;

void command_line() {
    str_set(str_operand(), command_line_text());
}

// The busy mark is set while a command runs and restored on every way out.
struct BusyMarkScope {
    int32_t saved = vm.busy_mark;
    BusyMarkScope() { vm.busy_mark = 1; }
    ~BusyMarkScope() { vm.busy_mark = saved; }
    BusyMarkScope(const BusyMarkScope&) = delete;
    BusyMarkScope& operator=(const BusyMarkScope&) = delete;
};

// s, t, x: with x on (any number but integer 0) the bif returns after the command; with x off
// the process ends when the command has finished.
void run_command() {
    std::string s(str_view(load_u32(str_operand())));
    std::string t(str_view(load_u32(str_operand())));
    Cell x = load_cell(num_operand());
    bool switch_on = x != num_int(0);
    BusyMarkScope busy;
    switch (run_host_command(s, t)) {
    case CommandOutcome::refused:
        if (switch_on) immediate_exit(refused_command_exit);
        raise_error(program_not_available);
    case CommandOutcome::cannot_start: raise_error(program_not_available);
    case CommandOutcome::finished:
        if (!switch_on) program_exit();
        return;
    }
}

// s, t: the program in file s runs next, with t as its command-line text. Nothing after this
// bif runs in the old program.
void chain() {
    std::string_view name = str_view(load_u32(str_operand()));
    std::string text(str_view(load_u32(str_operand())));
    std::string path = host_path(name.substr(0, name.find('\0')));
    program_arguments.chained_text = std::move(text);
    throw ChainRequest{std::move(path)};
}

void time_of_day() {
    LocalTime t = local_time_now();
    int64_t ms = int64_t(t.hour) * 3600000 + t.minute * 60000 + t.second * 1000 + t.millisecond;
    num_set_double(num_operand(), double(ms) / 1000);
}

void date_text() {
    LocalTime t = local_time_now();
    char text[32];
    std::snprintf(text, sizeof text, "%d%.2d%.2d", t.year, t.month, t.day);
    str_set(str_operand(), text);
}

void pause() {
    Cell ms = num_round(num_mul(load_cell(num_operand()), num_int(1000)));
    double wait = num_to_double(ms);
    if (wait > 0) timed_wait(wait >= 9e18 ? INT64_MAX : int64_t(wait));
}

void arm_time_limit() {
    arm_input_time_limit(int_operand());
}

void disarm_time_limit() {
    disarm_input_time_limit();
}

// Arena addresses are 32-bit: a number is taken modulo 2^32 (so -1 is the last byte).
Addr address_operand() {
    Cell c = load_cell(num_operand());
    if (is_int(c)) return Addr(int_value(c));
    double d = std::nearbyint(num_to_double(c));
    return std::isfinite(d) ? Addr(uint64_t(int64_t(std::fmod(d, 4294967296.0)))) : 0;
}

void set_address(Addr cell, Addr a) {
    if (a <= Addr(INT32_MAX))
        num_set_int(cell, int32_t(a));
    else
        num_set_double(cell, double(a));
}

void peek() {
    Addr a = address_operand();
    set_int_operand(int8_t(load_u8(a)));
}

void poke() {
    Addr a = address_operand();
    int32_t b = int_operand();
    store_u8(a, uint8_t(b));
}

// A block of the arena holding a copy of the text; never freed by the engine.
void copy_to_block() {
    std::string_view text = str_view(load_u32(str_operand()));
    Addr block = mem_dup(text.data(), uint32_t(text.size()));
    set_address(num_operand(), block);
}

void free_memory() {
    set_int_operand(int32_t(uint32_t(available_memory())));
}

void minus_one() {
    set_int_operand(-1);
}

void nothing() {}

void read_number_and_string() {
    num_operand();
    str_operand();
}

void read_three_strings() {
    str_operand();
    str_operand();
    str_operand();
}

} // namespace

void install_system_bifs(BifTable& t) {
    t.install(bif::command_line, command_line);
    t.install(bif::run_command, run_command);
    t.install(bif::chain, chain);
    t.install(bif::time, time_of_day);
    t.install(bif::date_string, date_text);
    t.install(bif::pause, pause);
    t.install(bif::arm_input_timeout, arm_time_limit);
    t.install(bif::disarm_input_timeout, disarm_time_limit);
    t.install(bif::peek, peek);
    t.install(bif::poke, poke);
    t.install(bif::string_to_host_block, copy_to_block);
    t.install(bif::free_memory, free_memory);
    t.install(bif::minus_one, minus_one);
    t.install(bif::nop_number_string, read_number_and_string);
    t.install(bif::nop_three_strings, read_three_strings);
    t.install(bif::system_stub_92, nothing);
    t.install(bif::system_stub_392, nothing);
    t.install(bif::system_stub_397, nothing);
    t.install(bif::system_stub_423, nothing);
    t.install(bif::system_stub_429, nothing);
}

} // namespace quillet
