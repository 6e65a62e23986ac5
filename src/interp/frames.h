// Frames on the value stack: building them from entry descriptors, leaving them, shared blocks,
// GOSUB storage and the mapping of channel parameters.
//
// A frame F is addressed by its highest word: F + 0 the caller's environment (0 marks a shared
// block), F - 4 the previous frame, F - 8 / F - 12 the module and pc to resume, F - 16..F - 24 the
// exception fields, F - 26..F - 32 four 16-bit counts, then the slots growing down and the numeric
// region growing up from the frame's bottom.
#pragma once

#include "values/arena.h"

#include <cstdint>

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
} // namespace frame

// The frame under f (0 for the first frame). Frames lie ever higher on the stack; a link that
// does not (a frame header the program overwrote) is the fatal "stack frame error".
Addr previous_frame(Addr f);

// Allocates the value stack and sets the registers for the first frame.
void init_value_stack();

// Builds the frame of the routine whose entry descriptor is at entry in module target, taking
// its arguments from the op stream at vm.pc, and switches to it.
void enter_routine(Addr entry, uint32_t target);

// Pops the current frame and the shared blocks under it; restores the caller's pc and module.
void leave_routine();

// Completes and leaves a frame that was under construction when an error was raised.
void finish_pending_frame();

// GOSUB storage: return addresses pushed below the current frame, counted in its GOSUB depth.
void gosub_push(Addr return_pc);
void gosub_return();
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
