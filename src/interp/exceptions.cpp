#include "interp/exceptions.h"

#include "bcode/line_table.h"
#include "interp/bif_dispatch.h"
#include "interp/decoded_ops.h"
#include "interp/fatal.h"
#include "interp/frames.h"
#include "interp/line_table.h"
#include "interp/registers.h"
#include "values/debug_log.h"
#include "values/errors.h"
#include "values/strings.h"

#include <cstdio>

namespace quillet {
namespace {

void record_trace(int32_t line, const LineTableReader& r) {
    if (line == 0 && exceptions.explicit_line == 0) return;
    ExceptionState& x = exceptions;
    if (x.new_exception) {
        x.trace_count = x.trace_read = 0;
        x.new_exception = false;
    }
    if (x.trace_count == 10) {
        // Keep the five oldest and the newest entries.
        for (int i = 5; i < 9; ++i)
            x.trace[i] = x.trace[i + 1];
        x.trace_count = 9;
    }
    int32_t shown = x.explicit_line ? x.explicit_line : line;
    x.trace[x.trace_count++] = {shown, r.internal_name ? r.internal_name : r.routine_name};
    x.explicit_line = 0;
}

// The reading that decides whether frame g handles: it stops at g's current line.
LineTableReader handler_test(Addr g) {
    uint32_t m = load_u32(g - frame::module);
    if (m >= program.modules.size()) fatal_stop("stack frame error");
    LineTableReader r = line_table_of(m);
    r.target_offset = int32_t(load_u32(g - frame::pc) - program.modules[m].base);
    r.handler_depth = 0x4000;
    r.read();
    return r;
}

Addr previous_routine_frame(Addr g) {
    Addr p = previous_frame(g);
    while (p && load_u32(p + frame::env) == 0)
        p = previous_frame(p); // shared blocks
    return p;
}

[[noreturn]] void missing_information() {
    raise_exception({.code = err::system_error});
}

// No handler takes the exception: the program stops, saying what was raised where.
[[noreturn]] void uncaught(const RaiseRequest& q, int32_t line) {
    debug_log("uncaught exception %d", int(q.code));
    std::string detail = "exception " + std::to_string(q.code);
    if (line > 0) detail += " at line " + std::to_string(line);
    // A message record that a program overwrote is left out: nothing may be raised on the way to
    // the stop.
    if (q.message && str_is_allocated(q.message) && str_length(q.message) > 0)
        detail.append(" (\"").append(str_view(q.message).substr(0, 200)).append("\")");
    detail += " has no handler";
    fatal_stop("uncaught exception", detail);
}

} // namespace

bool unwind_to_handler(RaiseRequest q) {
    finish_pending_frame();
    if (!vm.fp()) uncaught(q, q.explicit_line);
    store_u32(vm.fp() - frame::pc, vm.pc);
    store_u32(vm.fp() - frame::module, vm.module);
    exceptions.new_exception = !q.continuing;
    exceptions.explicit_line = q.explicit_line;

    Addr g = vm.fp();
    LineTableReader r;
    int32_t raised_line = q.explicit_line; // the nearest line known, for the diagnostic
    for (;;) {
        r = handler_test(g);
        if (raised_line == 0) raised_line = r.line;
        if (r.block_depth > 0) break;
        if (r.line != 0) {
            if (q.soft) return false;
            q.flag = 1;
        }
        if (!q.continuing) record_trace(r.line, r);
        q.continuing = false;
        g = previous_routine_frame(g);
        if (!g) uncaught(q, raised_line);
    }

    exceptions.handling_frame = g;
    int32_t line = exceptions.explicit_line ? exceptions.explicit_line : r.line;
    if (!q.continuing) record_trace(r.line, r);
    Addr message = q.message ? q.message : empty_string;
    str_retain(message);
    FoundHandler found{.frame = g, .reader = r, .request = q, .line = line, .message = message};
    // A nested routine run never unwinds the frames it interrupted: its starter does, after it.
    if (vm.nested_floor && g >= vm.nested_floor) throw NestedRunEscape{found};
    resume_at_handler(found);
    return true;
}

void resume_at_handler(const FoundHandler& found) {
    Addr g = found.frame;
    LineTableReader r = found.reader;
    const RaiseRequest& q = found.request;
    int32_t line = found.line;
    Addr message = found.message;
    while (vm.fp() != g) {
        if (!vm.fp()) fatal_stop("stack frame error");
        leave_routine();
    }

    uint32_t m = load_u32(g - frame::module);
    r.target_offset = no_target;
    r.block_depth = 0;
    while (r.read() == LineTableReader::Stop::mark && r.block_depth >= 0) {
    }
    set_module(m);
    vm.pc = program.modules[m].base + uint32_t(r.code_offset);

    if (!q.continuing && !(line > 0 && line == r.line)) {
        str_retain(message);
        if (Addr old = load_u32(g - frame::exc_message)) str_release(old);
        store_u32(g - frame::exc_message, message);
        store_i32(g - frame::exc_code, q.code);
        store_u32(g - frame::exc_line, (uint32_t(line) & 0xFFFFFF) * 256 + uint32_t(q.flag & 0xFF));
    }
    exceptions.last_code = q.code;
    str_release(message);
    frame_watch_check();
}

void raise_exception(const RaiseRequest& request) {
    unwind_to_handler(request);
    throw ResumeAtHandler{};
}

bool overflow_goes_on() {
    Addr f = vm.fp();
    if (!f) return false;
    // The pc a raise here would record: after the decoded op that runs, as op_loop gives it.
    uint32_t pc = vm.pc;
    if (DecodedOp* d = decoded.running; d && d != raw_op()) pc = d->next;
    uint32_t saved_pc = load_u32(f - frame::pc), saved_module = load_u32(f - frame::module);
    store_u32(f - frame::pc, pc);
    store_u32(f - frame::module, vm.module);
    // The search of a soft raise: the nearest frame that handles, or the nearest numbered one.
    int32_t line = 0;
    for (Addr g = f; g && line == 0; g = previous_routine_frame(g)) {
        LineTableReader r = handler_test(g);
        if (r.block_depth > 0) break;
        line = r.line;
    }
    store_u32(f - frame::pc, saved_pc);
    store_u32(f - frame::module, saved_module);
    if (line == 0) return false; // a handler takes it, or no numbered frame reports it
    std::fprintf(stderr, "line %d: warning: overflow; the result is infinity\n", int(line));
    return true;
}

void soft_raise(int32_t code) {
    if (unwind_to_handler({.code = code, .soft = true})) throw ResumeAtHandler{};
}

Addr handled_exception_frame() {
    for (Addr f = vm.fp(); f; f = previous_frame(f))
        if (load_u32(f + frame::env) && load_u32(f - frame::exc_message)) return f;
    Addr f = vm.fp();
    store_u32(f - frame::exc_line, 0);
    store_i32(f - frame::exc_code, 0);
    store_u32(f - frame::exc_message, empty_string);
    return f;
}

void reraise() {
    Addr f = vm.fp();
    uint32_t line_field = load_u32(f - frame::exc_line);
    Addr message = load_u32(f - frame::exc_message);
    int32_t line = int32_t(line_field >> 8);
    if (line == 0 || message == 0) missing_information();
    const ExceptionState& x = exceptions;
    bool continuing =
        f == x.handling_frame && x.trace_count > 0 && x.trace[x.trace_count - 1].line == line;
    exceptions.trace_read = 0;
    raise_exception({.code = load_i32(f - frame::exc_code),
                     .message = message,
                     .flag = int32_t(line_field & 0xFF),
                     .continuing = continuing,
                     .explicit_line = continuing ? 0 : line});
}

namespace {

// The reader at the record of the line that raised in the current frame.
LineTableReader failed_line() {
    Addr f = vm.fp();
    int32_t line = int32_t(load_u32(f - frame::exc_line) >> 8);
    if (line == 0 || load_u32(f - frame::exc_message) == 0) missing_information();
    LineTableReader r = line_table_of(vm.module);
    r.handler_depth = r.block_depth = 0x4000;
    if (!r.find_line(line)) missing_information();
    return r;
}

} // namespace

void retry() {
    block_return();
    LineTableReader r = failed_line();
    vm.pc = program.modules[vm.module].base + uint32_t(r.line_start);
}

void continue_next() {
    block_return();
    LineTableReader r = failed_line();
    int32_t failed = r.line;
    int32_t at_line = r.handler_depth - (load_u8(r.pos) == bcode::line_handler_test ? 1 : 0);
    r.target_line = no_target;
    do {
        r.target_offset = r.code_offset + 1;
        if (r.read() == LineTableReader::Stop::table_end) missing_information();
    } while (r.line <= failed);
    Addr base = program.modules[vm.module].base;
    if (r.handler_depth <= at_line) {
        vm.pc = base + uint32_t(r.line_start);
        return;
    }
    // The next line lies in a handler part: skip to where that part closes.
    r.handler_depth -= at_line + 1;
    r.target_offset = no_target;
    while (r.read() == LineTableReader::Stop::mark && r.handler_depth >= 0) {
    }
    vm.pc = base + uint32_t(r.code_offset);
}

void frame_watch_check() {
    if (vm.fp() > vm.frame_watch) {
        vm.frame_watch = vm.global();
        bcode_bif(103);
    }
}

} // namespace quillet
