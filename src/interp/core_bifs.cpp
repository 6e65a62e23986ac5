// Bifs of the interpreter core: exception information, nested runs, channel mapping, frame
// queries, the frame watch, program end and the loop's pump controls.
#include "interp/bif_dispatch.h"
#include "interp/exceptions.h"
#include "interp/fatal.h"
#include "interp/frames.h"
#include "interp/op_loop.h"
#include "interp/operands.h"
#include "interp/registers.h"
#include "values/strings.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quillet {
namespace {

// Bif 35: the next entry of the exception trace, as line and routine name.
void trace_entry() {
    Addr line = num_operand();
    Addr text = str_operand();
    ExceptionState& x = exceptions;
    if (x.trace_read >= x.trace_count) {
        num_set_int(line, -1);
        str_set(text, "");
        return;
    }
    const TraceEntry& e = x.trace[x.trace_read++];
    num_set_int(line, e.line);
    const char* name =
        e.routine_name ? reinterpret_cast<const char*>(host_ptr(e.routine_name)) : "";
    str_set(text, std::string_view(name, strnlen(name, 4096)));
}

void exception_message() {
    Addr f = handled_exception_frame();
    str_assign(str_operand(), load_u32(f - frame::exc_message));
}

void last_exception_code() {
    set_int_operand(exceptions.last_code);
}

void consume_string_array() {
    str_array_operand();
}

void nested_run() {
    int32_t m = int_operand();
    int32_t offset = int_operand();
    if (m < 0 || uint32_t(m) >= program.modules.size()) fatal_stop("stack frame error");
    vm.program_end_mark = vm.fp();
    enter_routine(program.modules[uint32_t(m)].base + uint32_t(offset), uint32_t(m));
}

void channel_owner() {
    int32_t c = int_operand();
    ChannelOwner mapped = map_channel(c, vm.fp());
    set_int_operand(mapped.channel);
    set_int_operand(int32_t(mapped.owner - vm.stack_base));
}

void frame_above() {
    int32_t n = int_operand();
    Addr f = vm.fp();
    for (; n > 0 && f; --n)
        f = previous_frame(f);
    set_int_operand(int32_t(f - vm.stack_base));
}

void next_env() {
    int32_t n = int_operand();
    int64_t depth = int64_t(vm.fp()) - vm.stack_base;
    if (n < depth || (n > int32_t(value_stack_size) && n < 1000000000)) {
        char text[96];
        std::snprintf(text, sizeof text, "bogus next_env argument %ld %ld", long(n), long(depth));
        fatal_stop(text);
    }
    // Never above the first frame, as no frame is (the inline return relies on it).
    vm.frame_watch = n <= int32_t(value_stack_size)
                         ? std::min(vm.stack_base + uint32_t(n), vm.global())
                         : vm.global();
}

void nothing() {}

void program_end() {
    end_program(int_operand());
}

void exception_line() {
    Addr f = handled_exception_frame();
    set_int_operand(int32_t(load_u32(f - frame::exc_line) >> 8));
}

void exception_code() {
    Addr f = handled_exception_frame();
    int32_t code = load_i32(f - frame::exc_code);
    // Moved 100000 away from zero in 32 bits: a code near the end of the range wraps, as it did
    // in the original, instead of overflowing.
    if (load_u32(f - frame::exc_line) & 0xFF)
        code = int32_t(uint32_t(code) + (code < 0 ? 0u - 100000u : 100000u));
    set_int_operand(code);
}

void soft_raise_bif() {
    soft_raise(int_operand());
}

void set_pump_suppression() {
    vm.pump_suppression = int_operand();
    if (vm.pump_suppression == 0 && vm.pump_enabled) process_host_messages();
}

void set_op_step_divisor() {
    Cell n = load_cell(num_operand());
    int32_t previous = int32_t(vm.op_step_divisor);
    int32_t divisor = num_to_int32(n);
    vm.op_step_divisor = divisor > 0 ? uint32_t(divisor) : 1;
    // The next pump comes at the next multiple of the divisor, as if it had always been counted.
    vm.ops_to_pump = vm.op_step_divisor - vm.op_counter % vm.op_step_divisor;
    set_int_operand(previous);
}

} // namespace

void install_core_bifs(BifTable& t) {
    t.install(bif::exception_trace_next, trace_entry);
    t.install(bif::exception_message, exception_message);
    t.install(bif::last_exception_code, last_exception_code);
    t.install(bif::consume_string_array, consume_string_array);
    t.install(bif::nested_run, nested_run);
    t.install(bif::map_channel, channel_owner);
    t.install(bif::frame_offset, frame_above);
    t.install(bif::next_env, next_env);
    t.install(bif::no_operation, nothing);
    t.install(bif::end_program, program_end);
    t.install(bif::exception_line, exception_line);
    t.install(bif::exception_code, exception_code);
    t.install(bif::reraise, reraise);
    t.install(bif::retry, retry);
    t.install(bif::continue_next, continue_next);
    t.install(bif::soft_raise, soft_raise_bif);
    t.install(bif::leave_handler_block, leave_block);
    t.install(bif::set_pump_suppression, set_pump_suppression);
    t.install(bif::set_op_step_divisor, set_op_step_divisor);
}

} // namespace quillet
