// Window channel lists (bifs 488 to 492): the BASIC channels a program's library has bound to a
// window, as pairs (owner's channel number, owner frame less the bottom of the value stack), so
// that the library's resize and free routines can reach them. Every call raises -11220 for a
// window number above the highest handed out and -11221 for a free slot.
#pragma once

#include <cstdint>

namespace quillet {

// Maps channel c in the current frame and appends its pair (no duplicate check).
void add_window_channel(int32_t window, int32_t c);
// Maps channel c; when the list holds its pair, removes every pair of that channel number.
void remove_window_channel(int32_t window, int32_t c);
// The pair at word index (0, 2, 4...): a, b and index + 2; past the end (or a bad index) index
// becomes 0 and false is returned with a and b left alone.
bool next_window_channel(int32_t window, int32_t& a, int32_t& b, int32_t& index);
// Removes every pair equal to (a, b).
void remove_window_channel_pair(int32_t window, int32_t a, int32_t b);

// Whether window n has channels: FREE reads it before destroying the window, whose destroy event
// empties the list, to decide whether the library's free routine runs for them.
bool window_has_channels(int n);

} // namespace quillet
