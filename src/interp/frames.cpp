#include "interp/frames.h"

#include "interp/fatal.h"
#include "interp/native_routines.h"
#include "interp/op_stream.h"
#include "interp/registers.h"
#include "values/arrays.h"
#include "values/memory.h"
#include "values/numbers.h"
#include "values/strings.h"

namespace quillet {
namespace {

constexpr uint16_t channel_bias = 17767;

[[noreturn]] void frame_error() {
    fatal_stop("stack frame error");
}

// The frame being built: the slot region grows down from hi, the numeric region up from lo. A
// descriptor that would make them cross is refused before anything is written past the frame.
struct FrameBuilder {
    Addr frame;
    Addr lo;
    Addr hi;
    bool references_started = false;

    Addr numeric_cell() {
        if (hi - lo < 8 || hi < lo) frame_error();
        Addr cell = lo;
        lo += 8;
        return cell;
    }
    // Releasable slots come before reference slots, which is what lets leaving the frame find
    // them as the first release-count slots.
    void releasable(Cell value) {
        if (references_started || hi - lo < 8 || hi < lo) frame_error();
        hi -= 8;
        store_cell(hi, value);
        ++vm.release_count;
    }
    void reference(Addr target) {
        references_started = true;
        if (hi - lo < 8 || hi < lo) frame_error();
        hi -= 8;
        store_cell(hi, make_cell(target, 0));
        ++vm.reference_count;
    }
};

Cell array_slot(Addr block, int32_t kind) {
    return make_cell(block, static_cast<uint32_t>(kind));
}

// Array locals: the header template follows the code in the descriptor; step past it.
Addr array_local(Addr& d, int32_t kind) {
    Addr block = array_new(d, kind);
    int32_t dims = static_cast<int8_t>(load_u8(d));
    d += 1 + 8 * uint32_t(dims) + 4;
    return block;
}

void release_slots(Addr f) {
    if (Addr message = load_u32(f - frame::exc_message)) str_release(message);
    int32_t count = load<int16_t>(f - frame::release_count);
    for (int32_t k = 1; k <= count; ++k) {
        Cell slot = load_cell(f - frame::header - 8 * uint32_t(k));
        if (static_cast<int32_t>(cell_hi(slot)) < 0)
            array_free(cell_lo(slot));
        else
            str_release(cell_lo(slot));
    }
}

void resume_in(Addr f) {
    uint32_t m = load_u32(f - frame::module);
    if (m >= program.modules.size()) fatal_stop("stack frame error");
    set_module(m);
    vm.pc = load_u32(f - frame::pc);
}

int32_t shared_register(uint8_t code, const char* fatal) {
    int32_t r = int32_t(code) - 9;
    if (r < 0 || r > 2) fatal_stop(fatal);
    return r;
}

} // namespace

Addr previous_frame(Addr f) {
    Addr p = load_u32(f - frame::prev);
    if (p != 0 && (p <= f || p > vm.global())) fatal_stop("stack frame error");
    return p;
}

void init_value_stack() {
    vm.stack_base = mem_zalloc(1, value_stack_size);
    Addr top = vm.stack_base + value_stack_size - 4;
    vm.sp = vm.env() = vm.global() = vm.frame_watch = top;
    vm.fp() = 0;
    vm.program_end_mark = 0;
}

void enter_routine(Addr entry, uint32_t target) {
    if (target >= program.modules.size()) fatal_stop("stack frame error");
    Addr d = entry;
    Addr prev = vm.fp();
    Addr image_end = program.image + program.image_size;
    for (;;) {
        uint32_t size = 2 * read_unsigned(d);
        Addr s = vm.sp;
        if (size < frame::header + 4) frame_error();
        if (s - vm.stack_base < size) raise_error(err::out_of_memory);
        start_frame_header(s, prev, vm.env());
        FrameBuilder fb{s, s - size + 4, s - frame::header};
        vm.pending_frame = s;
        vm.release_count = vm.reference_count = 0;

        for (uint32_t n = read_unsigned(d); n; --n)
            store_cell(fb.numeric_cell(), num_int(0));
        for (uint32_t n = read_unsigned(d); n; --n)
            fb.releasable(make_cell(empty_string, no_max_length));

        for (;;) {
            if (d >= image_end) frame_error(); // a descriptor never ends outside the image
            uint8_t code = load_u8(d++);
            switch (code) {
            case 0: continue;
            case 2: {
                uint32_t max =
                    (uint32_t(load_u8(d)) << 16) | (uint32_t(load_u8(d + 1)) << 8) | load_u8(d + 2);
                d += 3;
                fb.releasable(make_cell(empty_string, max));
                continue;
            }
            case 4:
                fb.releasable(array_slot(array_local(d, numeric_array), numeric_array));
                continue;
            case 6: fb.releasable(array_slot(array_local(d, string_array), string_array)); continue;
            case 8: store_cell(fb.numeric_cell(), load_cell(fetch_num(vm.pc))); continue;
            case 10: {
                Addr rec = load_u32(fetch_str(vm.pc));
                str_retain(rec);
                fb.releasable(make_cell(rec, no_max_length));
                continue;
            }
            case 12: {
                Addr copy = array_copy(load_u32(fetch_num_array(vm.pc)));
                fb.releasable(array_slot(copy, numeric_array));
                continue;
            }
            case 14: {
                Addr copy = array_copy(load_u32(fetch_str_array(vm.pc)));
                fb.releasable(array_slot(copy, string_array));
                continue;
            }
            case 16: fb.reference(fetch_num(vm.pc)); continue;
            case 18: fb.reference(fetch_str(vm.pc)); continue;
            case 20: fb.reference(fetch_num_array(vm.pc)); continue;
            case 22: fb.reference(fetch_str_array(vm.pc)); continue;
            case 24: {
                Addr cell = fetch_num(vm.pc);
                fb.reference(cell);
                store_cell(cell, num_int(0));
                continue;
            }
            case 26: {
                Addr cell = fetch_str(vm.pc);
                fb.reference(cell);
                str_release(load_u32(cell));
                store_u32(cell, empty_string);
                continue;
            }
            case 28: {
                uint32_t local = read_unsigned(d);
                int32_t c = num_to_int32(load_cell(fetch_num(vm.pc)));
                ChannelOwner mapped = map_channel(c, prev);
                Addr cell = fb.numeric_cell();
                store_u32(cell, mapped.owner);
                // The frame keeps channel numbers in 16 bits; any int wraps there.
                store_u16(cell + 4, uint16_t(uint32_t(mapped.channel) + channel_bias));
                store_u16(cell + 6, uint16_t(local + channel_bias));
                store_u16(s - frame::channel_count, load_u16(s - frame::channel_count) + 1);
                continue;
            }
            case 30:
                for (uint32_t n = read_unsigned(d); n; --n) {
                    fb.references_started = true;
                    if (fb.hi - fb.lo < 8 || fb.hi < fb.lo) frame_error();
                    fb.hi -= 8;
                    ++vm.reference_count;
                }
                continue;
            case 32:
            case 34: {
                if (code == 32) vm.env() = s;
                if (fb.hi != fb.lo) frame_error();
                switch_to_frame(s, uint16_t(vm.release_count), uint16_t(vm.reference_count), vm.pc,
                                target, s - size, d);
                vm.release_count = vm.reference_count = 0;
                vm.pending_frame = 0;
                return;
            }
            case 36: {
                if (fb.hi != fb.lo) frame_error();
                int32_t r = shared_register(load_u8(d++), "shared stack error");
                store_u32(s - frame::module, 0);
                store_u32(s - frame::pc, 0);
                store_u32(s + frame::env, 0);
                store_u16(s - frame::release_count, uint16_t(vm.release_count));
                store_u16(s - frame::reference_count, uint16_t(vm.reference_count));
                vm.release_count = vm.reference_count = 0;
                vm.pending_frame = 0;
                Addr bottom = s - size;
                if (bottom - vm.stack_base < 8) raise_error(err::out_of_memory);
                store_u32(bottom, vm.shared(r));
                store_u32(bottom - 4, uint32_t(r));
                vm.shared(r) = s;
                vm.sp = bottom - 8;
                prev = s;
                break;
            }
            case 38:
                call_native_routine(d, s, s - size + 4, fb.lo, fb.hi);
                vm.release_count = vm.reference_count = 0;
                vm.pending_frame = 0;
                return;
            default: frame_error();
            }
            break; // a shared block ended: the next descriptor follows
        }
    }
}

void leave_routine() {
    Addr f = vm.fp();
    vm.env() = load_u32(f + frame::env);
    for (;;) {
        release_slots(f);
        vm.sp = f;
        Addr left = f;
        f = vm.fp() = previous_frame(f);
        if (!f) return;
        if (load_u32(f + frame::env)) {
            resume_in(f);
            return;
        }
        // f is a shared block under the frame just left: restore the shared register it holds.
        vm.sp = left + 8;
        uint32_t r = load_u32(left + 4);
        if (r > 2) fatal_stop("shared stack error");
        vm.shared(r) = load_u32(left + 8);
    }
}

void finish_pending_frame() {
    Addr s = vm.pending_frame;
    if (!s) return;
    vm.pending_frame = 0;
    store_u16(s - frame::release_count, uint16_t(vm.release_count));
    store_u16(s - frame::reference_count, uint16_t(vm.reference_count));
    vm.release_count = vm.reference_count = 0;
    if (vm.fp()) {
        store_u32(vm.fp() - frame::pc, vm.pc);
        store_u32(vm.fp() - frame::module, vm.module);
    }
    // Leaving the partial frame releases what it owns and resumes the caller where it was.
    vm.fp() = s;
    leave_routine();
}

void gosub_push(Addr return_pc) {
    // The frame counts its GOSUBs in 16 signed bits: a count that would wrap is out of memory
    // too, so that dropping a block's pending returns stays exact.
    int16_t depth = load<int16_t>(vm.fp() - frame::gosub_depth);
    if (vm.sp - vm.stack_base < 8 || depth == INT16_MAX) raise_error(err::out_of_memory);
    store_u32(vm.sp, return_pc);
    vm.sp -= 4;
    store_u16(vm.fp() - frame::gosub_depth, uint16_t(depth + 1));
}

void gosub_return() {
    int16_t depth = load<int16_t>(vm.fp() - frame::gosub_depth);
    if (depth <= 0) {
        store_u16(vm.fp() - frame::gosub_depth, 0);
        raise_error(err::return_without_gosub);
    }
    store_u16(vm.fp() - frame::gosub_depth, uint16_t(depth - 1));
    vm.sp += 4;
    vm.pc = load_u32(vm.sp);
}

void leave_block() {
    int16_t depth = load<int16_t>(vm.fp() - frame::gosub_depth);
    vm.sp += 4 + 4 * uint32_t(depth < 0 ? 0 : depth);
    store_u16(vm.fp() - frame::gosub_depth, load_u16(vm.sp));
}

void block_return() {
    leave_block();
    gosub_return();
}

ChannelOwner map_channel(int32_t c, Addr g) {
    auto search = [c](Addr f, ChannelOwner& out) {
        int32_t count = load<int16_t>(f - frame::channel_count);
        int32_t slots =
            load<int16_t>(f - frame::release_count) + load<int16_t>(f - frame::reference_count);
        // The channel cells are the topmost cells of the numeric region, below the slots.
        Addr cell = f - frame::header - 8 * uint32_t(slots) - 8;
        for (int32_t k = 0; k < count; ++k, cell -= 8) {
            if (int32_t(load_u16(cell + 6)) - channel_bias == c) {
                out = {load_u32(cell), int32_t(load_u16(cell + 4)) - channel_bias};
                return true;
            }
        }
        return false;
    };
    ChannelOwner found{};
    if (g && search(g, found)) return found;
    if (g != vm.env() && vm.env() && search(vm.env(), found)) return found;
    Addr table = program.modules[vm.module].channel_table;
    uint32_t n = load_u8(table);
    for (uint32_t i = n; i-- > 0;) {
        if (int32_t(load_u16(table + 4 + 2 * i)) == c) {
            int32_t r = shared_register(load_u8(table + 1), "Bad shared file display number");
            return {vm.shared(r), int32_t(load_u16(table + 2)) + int32_t(i)};
        }
    }
    return {vm.env(), c};
}

} // namespace quillet
