// Tunes of the PLAY and SOUND statements (bif 42) and stop_sound. A tune plays on a player
// thread (tune_player.h) while the program goes on. The player's position reaches the program's
// sound string only on the interpreter's thread: at each pump, and when the tune is stopped.
#pragma once

#include "values/arena.h"

namespace quillet {

// Bif 42 on the string record: 2 bytes or fewer stop the tune; 6 or more stop the tune and play
// this one from its position; 3 to 5 bytes hold no whole note and do nothing.
void play_sound(Addr record);

// Stops the tune, if one plays, and writes its last position into its string.
void stop_sound();

// Writes the player's position into the tune's string when it moved, and lets go of a tune that
// has ended. Run after each pump of the op loop.
void deliver_sound_position();

// Program end: stops the tune as stop_sound does and closes the audio device.
void end_sound();

} // namespace quillet
