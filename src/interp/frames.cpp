#include "interp/frames.h"

#include "bcode/descriptor.h"
#include "interp/fatal.h"
#include "interp/registers.h"
#include "interp/routine_plans.h"
#include "values/arrays.h"
#include "values/memory.h"
#include "values/strings.h"

namespace quillet {
namespace {

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
    int32_t r = int32_t(code) - bcode::shared_register_byte_bias;
    if (r < 0 || r >= bcode::shared_register_count) fatal_stop(fatal);
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
    enter_routine_by_plan(routine_plan(entry, target, vm.pc));
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
        if (r >= bcode::shared_register_count) fatal_stop("shared stack error");
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
    if (!push_gosub_inline(vm.fp(), return_pc)) raise_error(err::out_of_memory);
}

void gosub_return() {
    if (!return_from_gosub_inline(vm.fp(), vm.pc)) {
        store_u16(vm.fp() - frame::gosub_depth, 0);
        raise_error(err::return_without_gosub);
    }
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
            if (int32_t(load_u16(cell + 6)) - frame::channel_bias == c) {
                out = {load_u32(cell), int32_t(load_u16(cell + 4)) - frame::channel_bias};
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
