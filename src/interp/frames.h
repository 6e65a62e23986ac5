// Frames on the value stack: building them from entry descriptors, leaving them, shared blocks,
// GOSUB storage and the mapping of channel parameters.
//
// A frame F is addressed by its highest word: F + 0 the caller's environment (0 marks a shared
// block), F - 4 the previous frame, F - 8 / F - 12 the module and pc to resume, F - 16..F - 24 the
// exception fields, F - 26..F - 32 four 16-bit counts, then the slots growing down and the numeric
// region growing up from the frame's bottom.
#pragma once

#include "interp/registers.h"
#include "values/arena.h"

#include <cstdint>
#include <cstring>

namespace quillet {

namespace frame {
inline constexpr uint32_t env = 0;
inline constexpr uint32_t prev = 4;
inline constexpr uint32_t module = 8;
inline constexpr uint32_t pc = 12;
inline constexpr uint32_t exc_line = 16;
inline constexpr uint32_t exc_code = 20;
inline constexpr uint32_t exc_message = 24;
inline constexpr uint32_t gosub_depth = 26;
inline constexpr uint32_t channel_count = 28;
inline constexpr uint32_t reference_count = 30;
inline constexpr uint32_t release_count = 32;
inline constexpr uint32_t header = 32;
// A channel parameter's cell keeps both channel numbers plus this bias, in 16 bits each.
inline constexpr uint16_t channel_bias = 17767;
} // namespace frame

// A frame's words through a host pointer. A frame lies on the value stack, far above address 0,
// so a word under it never wraps round the arena: each access is one instruction on the
// pointer, with the word's offset from the frame address (negative under it) in the instruction.
class FrameWords {
public:
    QUILLET_HOT_INLINE explicit FrameWords(Addr f) : f_(host_ptr(f)) {}
    QUILLET_HOT_INLINE uint32_t u32(int32_t at) const {
        return *reinterpret_cast<const unaligned::u32*>(f_ + at);
    }
    QUILLET_HOT_INLINE int16_t i16(int32_t at) const {
        return int16_t(*reinterpret_cast<const unaligned::u16*>(f_ + at));
    }
    QUILLET_HOT_INLINE void set_u32(int32_t at, uint32_t v) const {
        *reinterpret_cast<unaligned::u32*>(f_ + at) = v;
    }
    QUILLET_HOT_INLINE void set_u16(int32_t at, uint16_t v) const {
        *reinterpret_cast<unaligned::u16*>(f_ + at) = v;
    }
    QUILLET_HOT_INLINE void set_cell(int32_t at, Cell v) const {
        *reinterpret_cast<unaligned::u64*>(f_ + at) = v;
    }
    // count cells from at upward, each v. Two to four cells (a routine's locals, most often)
    // take two stores of a pair, which overlap for three.
    QUILLET_HOT_INLINE void fill(int32_t at, uint32_t count, Cell v) const {
        if (count - 2 <= 2) [[likely]] {
            const Cell pair[2] = {v, v};
            std::memcpy(f_ + at, pair, sizeof pair);
            std::memcpy(f_ + at + 8 * int32_t(count) - 16, pair, sizeof pair);
            return;
        }
        std::byte* p = f_ + at;
        for (std::byte* end = p + 8 * size_t(count); p != end; p += 8)
            *reinterpret_cast<unaligned::u64*>(p) = v;
    }

private:
    std::byte* f_;
};

// The offset of a header word from the frame address.
constexpr int32_t under(uint32_t offset) {
    return -int32_t(offset);
}

// Starts the header of a frame at s whose caller's frame is prev: the two links, GOSUB depth and
// channel count 0, no exception. The counts of its slots follow when the frame is complete.
QUILLET_HOT_INLINE void start_frame_header(Addr s, Addr prev, Addr env) {
    static_assert(frame::prev == frame::env + 4, "prev lies just under env");
    static_assert(frame::exc_line - 4 == frame::channel_count - 16, "16 bytes from channel_count");
    FrameWords w(s);
    w.set_cell(under(frame::prev), (Cell{env} << 32) | prev);
    w.set_cell(under(frame::channel_count), 0);
    w.set_cell(under(frame::channel_count) + 8, 0);
}

// Completes the frame at s with the counts of its slots, records where the caller resumes (if
// there is one) and makes the frame current: its module, its stack bottom and its first op.
QUILLET_HOT_INLINE void switch_to_frame(Addr s, uint16_t release_count, uint16_t reference_count,
                                        Addr return_pc, uint32_t module, Addr bottom, Addr body) {
    static_assert(frame::reference_count + 2 == frame::release_count, "the counts are adjacent");
    store_u32(s - frame::release_count, uint32_t(reference_count) << 16 | release_count);
    if (Addr caller = vm.fp()) {
        store_u32(caller - frame::pc, return_pc);
        store_u32(caller - frame::module, vm.module);
    }
    vm.fp() = s;
    set_module(module);
    vm.sp = bottom;
    vm.pc = body;
}

// The frame under f (0 for the first frame). Frames lie ever higher on the stack; a link that
// does not (a frame header the program overwrote) is the fatal "stack frame error".
Addr previous_frame(Addr f);

// Allocates the value stack and sets the registers for the first frame.
void init_value_stack();

// Builds the frame of the routine whose entry descriptor is at entry in module target, taking
// its arguments from the op stream at vm.pc, and switches to it: from the call's plan
// (routine_plans.h), made at the first call from this place.
void enter_routine(Addr entry, uint32_t target);

// Pops the current frame and the shared blocks under it; restores the caller's pc and module.
void leave_routine();

// The common return, inline: the frame f, which is current, owns nothing to release, and its
// caller is a routine frame (not a shared block) with a sound link and module, not above the
// frame watch position (bif 102, never above the first frame: a caller above it is left to
// leave_routine, after which the watch's check runs). Pops it and returns the caller's frame,
// with the pc to resume there in resume_pc (the op loop holds it; vm.pc is left as it is), after
// calling into_other_module() when the caller's module is not the current one. 0, with nothing
// changed, for every other frame, which leave_routine leaves.
template <typename IntoOtherModule>
QUILLET_HOT_INLINE Addr leave_plain_routine(Addr f, Addr& resume_pc,
                                            IntoOtherModule into_other_module) {
    FrameWords w(f);
    Addr prev = w.u32(under(frame::prev));
    // Slots to release or an exception message (or a count a program made negative): one branch.
    if ((uint32_t(uint16_t(w.i16(under(frame::release_count)))) |
         w.u32(under(frame::exc_message))) != 0)
        return 0;
    if (prev <= f || prev > vm.frame_watch) return 0;
    FrameWords caller(prev);
    if (caller.u32(frame::env) == 0) return 0;
    // A return within the module keeps the module's tables, which are the current ones.
    uint32_t m = caller.u32(under(frame::module));
    if (m != vm.module) [[unlikely]] {
        if (m >= program.modules.size()) return 0;
        set_module(m);
        into_other_module();
    }
    vm.env() = w.u32(frame::env);
    vm.sp = f;
    vm.fp() = prev;
    resume_pc = caller.u32(under(frame::pc));
    return prev;
}

// Completes and leaves a frame that was under construction when an error was raised.
void finish_pending_frame();

// GOSUB storage: return addresses pushed below the current frame, counted in its GOSUB depth.
void gosub_push(Addr return_pc);
void gosub_return();

// gosub_push and gosub_return inline, for the op loop, whose current frame is f: false, with
// nothing changed, where they would raise (the loop then calls them to raise). The return leaves
// the pc to go on at in resume_pc (vm.pc is left as it is).
QUILLET_HOT_INLINE bool push_gosub_inline(Addr f, Addr return_pc) {
    FrameWords w(f);
    int16_t depth = w.i16(under(frame::gosub_depth));
    Addr s = vm.sp;
    if (s - vm.stack_base < 8 || depth == INT16_MAX) [[unlikely]]
        return false;
    store_u32(s, return_pc);
    vm.sp = s - 4;
    w.set_u16(under(frame::gosub_depth), uint16_t(depth + 1));
    return true;
}
QUILLET_HOT_INLINE bool return_from_gosub_inline(Addr f, Addr& resume_pc) {
    FrameWords w(f);
    int16_t depth = w.i16(under(frame::gosub_depth));
    if (depth <= 0) [[unlikely]]
        return false;
    w.set_u16(under(frame::gosub_depth), uint16_t(depth - 1));
    Addr s = vm.sp + 4;
    vm.sp = s;
    resume_pc = load_u32(s);
    return true;
}
// Leaves an exception-handler block: drops its pending returns and restores the depth saved when
// it was opened (bif 405).
void leave_block();
// leave_block, then the return from the block's GOSUB.
void block_return();

struct ChannelOwner {
    Addr owner;
    int32_t channel;
};

// The frame and channel number that channel c of frame g stands for.
ChannelOwner map_channel(int32_t c, Addr g);

} // namespace quillet
